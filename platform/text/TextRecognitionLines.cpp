#include "platform/text/TextRecognitionLines.h"

#include <algorithm>
#include <cstdlib>

namespace tavero::TextRecognition {

namespace {

// How far apart two pieces of one line may be, in line heights: wider than
// the gap a missed character leaves, narrower than a table's column gap.
constexpr int joiningGap = 2;

// Unsure readings of this many characters or fewer are marks, not words.
constexpr int shortestWord = 2;
constexpr int leastConfidence = 40;

// Points of confidence the English reading of a Latin line may trail by.
constexpr int englishTrust = 5;
// The English data reads short Chinese words as short Latin ones ("尺寸" as
// "Rt"), sometimes with confidence above 90.
constexpr int sureConfidence = 90;
constexpr int sureLength = 4;

bool isHan(QChar c) {
    return (c.unicode() >= 0x3400 && c.unicode() <= 0x4DBF) || (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF);
}

bool isLatinLetterOrDigit(QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); }

bool oneLine(const QRect& a, const QRect& b) {
    const int overlap = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
    const int gap = std::max(a.left(), b.left()) - std::min(a.right(), b.right()) - 1;
    return 2 * overlap >= std::min(a.height(), b.height()) && gap <= joiningGap * std::max(a.height(), b.height());
}

// Darker than this on the page of ink is ink; fainter is the fringe of a
// flattened panel.
constexpr int inkLevel = 160;

bool inkedColumn(const QImage& page, int x, int top, int bottom) {
    for (int y = top; y <= bottom; ++y)
        if (page.constScanLine(y)[x] < inkLevel) return true;
    return false;
}

// The last inked column reached from `edge` in `step` direction, crossing
// gaps of at most `reach` columns.
int lastInked(const QImage& page, const QRect& line, int edge, int step, int reach) {
    int last = edge;
    for (int x = edge + step; x >= 0 && x < page.width() && std::abs(x - last) <= reach; x += step)
        if (inkedColumn(page, x, line.top(), line.bottom())) last = x;
    return last;
}

QRect widenedOverInk(const QImage& page, const QRect& line) {
    const QRect band = line & page.rect();
    if (band.isEmpty()) return line;
    const int reach = std::max(2, band.height() / 2);
    QRect wide = band;
    wide.setLeft(lastInked(page, band, band.left(), -1, reach));
    wide.setRight(lastInked(page, band, band.right(), 1, reach));
    return wide;
}

// Pieces on two backgrounds (a page and the panel beside it) are never one
// line, however close.
std::vector<QRect> joinedLines(std::vector<QRect> pieces, const Backgrounds& backgrounds) {
    std::vector<int> areas;
    for (const QRect& piece : pieces) areas.push_back(backgrounds.areaUnder(piece));
    for (size_t i = 0; i < pieces.size(); ++i) {
        // A grown line may now reach pieces it was checked against before.
        for (size_t j = i + 1; j < pieces.size();) {
            if (areas[i] != areas[j] || !oneLine(pieces[i], pieces[j])) {
                ++j;
                continue;
            }
            pieces[i] = pieces[i].united(pieces[j]);
            pieces.erase(pieces.begin() + std::ptrdiff_t(j));
            areas.erase(areas.begin() + std::ptrdiff_t(j));
            j = i + 1;
        }
    }
    return pieces;
}

// Too small to hold a readable character.
bool speck(const QRect& piece) {
    return piece.width() < 3 || piece.height() < 6 || (piece.width() < 8 && piece.height() < 8);
}

}  // namespace

std::vector<QRect> textLines(const QImage& page, std::vector<QRect> pieces, const Backgrounds& backgrounds) {
    std::erase_if(pieces, speck);
    std::vector<QRect> lines = joinedLines(std::move(pieces), backgrounds);
    for (QRect& line : lines) line = widenedOverInk(page, line);
    return inReadingOrder(joinedLines(std::move(lines), backgrounds), backgrounds);
}

bool looksLikeText(const QString& read, int confidence) {
    if (std::none_of(read.begin(), read.end(), [](QChar c) { return c.isLetterOrNumber(); })) return false;
    const auto characters = std::count_if(read.begin(), read.end(), [](QChar c) { return !c.isSpace(); });
    return characters > shortestWord || confidence >= leastConfidence;
}

bool mostlyLatin(const QString& read) {
    const auto han = std::count_if(read.begin(), read.end(), isHan);
    const auto latin = std::count_if(read.begin(), read.end(), isLatinLetterOrDigit);
    return han == 0 ? latin > 0 : han == 1 && latin >= 3;
}

bool englishReadsBetter(const QString& chinese, int chineseConfidence, int englishConfidence) {
    const bool withHan = std::any_of(chinese.begin(), chinese.end(), isHan);
    return englishConfidence + (withHan ? 0 : englishTrust) >= chineseConfidence;
}

bool sureEnglish(const QString& english, int confidence) {
    const auto latin = std::count_if(english.begin(), english.end(), isLatinLetterOrDigit);
    return confidence >= sureConfidence && latin >= sureLength && std::none_of(english.begin(), english.end(), isHan);
}

QString tidied(const QString& read) {
    static const QString narrow = QStringLiteral(":;!?,");
    static const QString wide = QStringLiteral("：；！？，");
    QString text = read.trimmed();
    for (qsizetype i = 1; i < text.size(); ++i) {
        const qsizetype mark = narrow.indexOf(text[i]);
        if (mark < 0 || !isHan(text[i - 1])) continue;
        text[i] = wide[mark];
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char(' ')) text.remove(i + 1, 1);
    }
    return text;
}

}  // namespace tavero::TextRecognition
