#include "platform/text/TextRecognition.h"

#include "platform/ShotError.h"
#include "platform/text/TextRecognitionInk.h"
#include "platform/text/TextRecognitionLines.h"

#include <QPainter>

#include <omp.h>
#include <tesseract/baseapi.h>

#include <algorithm>
#include <cmath>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavero::TextRecognition {

namespace {

// Where Debian installs the language data of Tesseract 5.
constexpr const char* dataFolder = "/usr/share/tesseract-ocr/5/tessdata";

// Screens are 96 dots per inch; our rendered pictures say so.
constexpr int screenResolution = 96;

QString engineUnavailable() { return QStringLiteral("无法启动本机文字识别，请确认已安装中文和英文识别数据。"); }

QString recognitionFailed() { return QStringLiteral("本机文字识别失败。"); }

struct EngineDeleter {
    void operator()(tesseract::TessBaseAPI* engine) const {
        engine->End();
        delete engine;
    }
};
using Engine = std::unique_ptr<tesseract::TessBaseAPI, EngineDeleter>;

struct CharsDeleter {
    void operator()(char* text) const { delete[] text; }
};

Engine startEngine(const char* language) {
    Engine engine(new tesseract::TessBaseAPI);
    // The engine's diagnostics would otherwise land on the program's
    // standard error, which the self test keeps for its failure line.
    std::vector<std::string> names{"debug_file"};
    std::vector<std::string> values{"/dev/null"};
    const QByteArray folder =
        qEnvironmentVariableIsSet("TESSDATA_PREFIX") ? qgetenv("TESSDATA_PREFIX") : QByteArray(dataFolder);
    if (engine->Init(folder.constData(), language, tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) != 0)
        throw ShotError(engineUnavailable());
    // Keeps runs of spaces as written and, above all, puts no space between
    // Chinese characters.
    engine->SetVariable("preserve_interword_spaces", "1");
    return engine;
}

// An engine that starts on a thread of its own (a few tenths of a second)
// while the caller prepares the page.
class StartingEngine {
public:
    explicit StartingEngine(const char* language) : language_(language) {}

    void start() {
        if (!engine_ && !starting_.valid()) starting_ = std::async(std::launch::async, startEngine, language_);
    }

    // Throws ShotError when the engine cannot start; the next `start` tries
    // again.
    tesseract::TessBaseAPI& get() {
        start();
        if (!engine_) engine_ = starting_.get();
        return *engine_;
    }

private:
    const char* language_;
    std::future<Engine> starting_;
    Engine engine_;
};

// The Chinese data reads Chinese mixed with Latin letters. Loaded together
// with the English data in one engine, the English data takes over whole
// Chinese words it misreads with confidence, so lines without Chinese get a
// second reading from an engine of their own.
struct Engines {
    StartingEngine chinese{"chi_sim"};
    StartingEngine latin{"eng"};
};

Engines& threadEngines() {
    // Tesseract spreads one recognition over OpenMP threads that spin while
    // they wait: four times the processor time for no gain, and slower still
    // when several engines run at once. Parallel work belongs to our worker
    // threads, one pair of engines each, so this thread's OpenMP regions run
    // alone.
    omp_set_max_active_levels(0);
    thread_local Engines engines;
    engines.chinese.start();
    engines.latin.start();
    return engines;
}

// Grey pixels on white: transparent areas of a screenshot read as paper,
// not as black ink.
QImage grey(const QImage& image) {
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat.convertToFormat(QImage::Format_Grayscale8);
}

// The resolution the picture states, when it is one a screen or a scanner
// could have.
int resolution(const QImage& image) {
    const int dotsPerInch = int(std::lround(image.dotsPerMeterY() * 0.0254));
    return dotsPerInch >= 70 && dotsPerInch <= 600 ? dotsPerInch : screenResolution;
}

void show(tesseract::TessBaseAPI& engine, const QImage& page, int dotsPerInch) {
    engine.SetImage(page.constBits(), page.width(), page.height(), 1, int(page.bytesPerLine()));
    engine.SetSourceResolution(dotsPerInch);
}

// Where the text is. Sparse-text analysis finds scattered labels that the
// page analysis would drop or run together across columns; it leaves the
// pieces for `textLines`.
std::vector<QRect> textPieces(tesseract::TessBaseAPI& engine, const QImage& page, int dotsPerInch) {
    engine.SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
    show(engine, page, dotsPerInch);
    std::vector<QRect> pieces;
    const std::unique_ptr<tesseract::PageIterator> piece(engine.AnalyseLayout());
    if (piece) {
        do {
            if (!PTIsTextType(piece->BlockType())) continue;
            int left = 0, top = 0, right = 0, bottom = 0;
            if (piece->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom))
                pieces.emplace_back(QPoint(left, top), QPoint(right - 1, bottom - 1));
        } while (piece->Next(tesseract::RIL_TEXTLINE));
    }
    engine.Clear();
    return pieces;
}

struct Reading {
    QString text;
    int confidence = 0;
};

Reading readLine(tesseract::TessBaseAPI& engine, const QImage& line, int dotsPerInch, tesseract::PageSegMode mode) {
    engine.SetPageSegMode(mode);
    show(engine, line, dotsPerInch);
    if (engine.Recognize(nullptr) != 0) {
        engine.Clear();
        throw ShotError(recognitionFailed());
    }
    const std::unique_ptr<char[], CharsDeleter> text(engine.GetUTF8Text());
    Reading reading{text ? QString::fromUtf8(text.get()).trimmed() : QString(), engine.MeanTextConf()};
    engine.Clear();
    return reading;
}

QString shown(const Reading& reading) {
    return looksLikeText(reading.text, reading.confidence) ? tidied(reading.text) : QString();
}

// Reads the lines of one page, each cut out with a margin of a quarter of its
// height so the engine sees the whole of every character. After a line the
// English data read better, the next goes to it first, and its reading
// stands when it is sure: runs of Latin lines are common (an English page, a
// column of figures), and the Chinese data is the slower.
class PageReader {
public:
    PageReader(Engines& engines, const QImage& page, int dotsPerInch)
        : engines_(engines), page_(page), dotsPerInch_(dotsPerInch) {}

    QString read(const QRect& line) {
        const int margin = std::max(3, line.height() / 4);
        const QImage cut = page_.copy(line.adjusted(-margin, -margin, margin, margin) & page_.rect());
        std::optional<Reading> latin;
        if (latinFirst_) {
            latin = readLine(engines_.latin.get(), cut, dotsPerInch_, tesseract::PSM_SINGLE_LINE);
            if (sureEnglish(latin->text, latin->confidence)) return shown(*latin);
        }
        Reading reading = readLine(engines_.chinese.get(), cut, dotsPerInch_, tesseract::PSM_SINGLE_LINE);
        // The single-line mode's clean-up drops some short words whole; the
        // raw line mode reads them.
        if (reading.text.isEmpty())
            reading = readLine(engines_.chinese.get(), cut, dotsPerInch_, tesseract::PSM_RAW_LINE);
        latinFirst_ = false;
        if (mostlyLatin(reading.text)) {
            if (!latin) latin = readLine(engines_.latin.get(), cut, dotsPerInch_, tesseract::PSM_SINGLE_LINE);
            if (englishReadsBetter(reading.text, reading.confidence, latin->confidence)) {
                reading = std::move(*latin);
                latinFirst_ = true;
            }
        }
        return shown(reading);
    }

private:
    Engines& engines_;
    const QImage& page_;
    int dotsPerInch_;
    bool latinFirst_ = false;
};

}  // namespace

QStringList recognizeLines(const QImage& image) {
    if (image.isNull() || image.width() < 2 || image.height() < 2) return {};
    Engines& engines = threadEngines();
    const int dotsPerInch = resolution(image);
    const QImage flat = grey(image);
    const QImage page = inkOnPaper(flat);
    PageReader reader(engines, page, dotsPerInch);
    QStringList found;
    // The layout analysis reads no language; the English engine is the
    // quicker to start, so the Chinese one has started by the first line.
    const std::vector<QRect> pieces = textPieces(engines.latin.get(), page, dotsPerInch);
    for (const QRect& line : textLines(page, pieces, Backgrounds(flat)))
        if (QString text = reader.read(line); !text.isEmpty()) found.append(text);
    // Both sets of data belong to the recognition, also for pages that needed
    // only one.
    engines.chinese.get();
    return found;
}

}  // namespace tavero::TextRecognition
