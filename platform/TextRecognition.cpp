#include "platform/TextRecognition.h"

#include "platform/ShotError.h"

#include <QPainter>

#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <memory>
#include <string>
#include <vector>

namespace tavero::TextRecognition {

namespace {

// Where Debian installs the language data of Tesseract 5.
constexpr const char* dataFolder = "/usr/share/tesseract-ocr/5/tessdata";
constexpr const char* languages = "chi_sim+eng";

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

Engine startEngine() {
    // Tesseract spreads one recognition over OpenMP threads that spin while
    // they wait: four times the processor time for no gain, and slower still
    // when several engines run at once. Parallel work belongs to our worker
    // threads, one engine each, so this thread's OpenMP regions run alone.
    omp_set_max_active_levels(0);
    Engine engine(new tesseract::TessBaseAPI);
    // The engine's diagnostics would otherwise land on the program's
    // standard error, which the self test keeps for its failure line.
    std::vector<std::string> names{"debug_file"};
    std::vector<std::string> values{"/dev/null"};
    const QByteArray folder =
        qEnvironmentVariableIsSet("TESSDATA_PREFIX") ? qgetenv("TESSDATA_PREFIX") : QByteArray(dataFolder);
    if (engine->Init(folder.constData(), languages, tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) != 0)
        throw ShotError(engineUnavailable());
    // Keeps runs of spaces as written and, above all, puts no space between
    // Chinese characters.
    engine->SetVariable("preserve_interword_spaces", "1");
    // Screenshots hold scattered labels, not pages: the automatic layout
    // analysis takes large coloured headings for pictures and drops them,
    // while sparse-text mode reads every line it finds.
    engine->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
    return engine;
}

tesseract::TessBaseAPI& threadEngine() {
    thread_local Engine engine;
    if (!engine) engine = startEngine();
    return *engine;
}

// Grey pixels on white: transparent areas of a screenshot read as paper,
// not as black ink.
QImage page(const QImage& image) {
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat.convertToFormat(QImage::Format_Grayscale8);
}

QStringList lines(tesseract::TessBaseAPI& engine) {
    QStringList found;
    std::unique_ptr<tesseract::ResultIterator> line(engine.GetIterator());
    if (!line) return found;
    do {
        const std::unique_ptr<char[], CharsDeleter> text(line->GetUTF8Text(tesseract::RIL_TEXTLINE));
        if (!text) continue;
        const QString trimmed = QString::fromUtf8(text.get()).trimmed();
        if (!trimmed.isEmpty()) found.append(trimmed);
    } while (line->Next(tesseract::RIL_TEXTLINE));
    return found;
}

}  // namespace

QStringList recognizeLines(const QImage& image) {
    if (image.isNull() || image.width() < 2 || image.height() < 2) return {};
    tesseract::TessBaseAPI& engine = threadEngine();
    const QImage grey = page(image);
    engine.SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    // Screens are about 96 dots per inch; without it the engine guesses.
    engine.SetSourceResolution(96);
    if (engine.Recognize(nullptr) != 0) {
        engine.Clear();
        throw ShotError(recognitionFailed());
    }
    QStringList found = lines(engine);
    engine.Clear();
    return found;
}

}  // namespace tavero::TextRecognition
