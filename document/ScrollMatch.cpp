#include "document/ImageOps.h"
#include "document/ScrollGrey.h"
#include "document/ScrollShiftSearch.h"
#include "platform/ShotError.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

// Decides how a new frame of a scrolling capture lines up with the previous
// one. A wrong join is worse than none, so every doubt answers "no match".
namespace tavero::ImageOps {

namespace {

constexpr int signatureWidth = 96;
constexpr int signatureHeight = 120;
constexpr int searchColumns = 192;
constexpr int hintColumns = 64;
constexpr int hintRowReduction = 4;
constexpr double infinity = std::numeric_limits<double>::infinity();

// Below this mean difference the frames count as the same.
constexpr double unchangedDifference = 0.45;
// A match must be this good in absolute terms and against the unmatched frames.
constexpr double acceptableScore = 3.5;
constexpr double acceptableShare = 0.65;
// A backward shift scoring within this of the best makes the direction doubtful.
constexpr double ambiguityMargin = 0.05;

QString sizeChanged() { return QStringLiteral("滚动截图区域发生变化，请重新开始。"); }

double meanDifference(const cv::Mat& a, const cv::Mat& b) {
    cv::Mat difference;
    cv::absdiff(a, b, difference);
    return cv::mean(difference)[0];
}

cv::Mat forCorrelation(const cv::Mat& grey, cv::Size size) {
    cv::Mat floating;
    scrollgrey::reduced(grey, size).convertTo(floating, CV_32F);
    return floating;
}

// Where phase correlation places the content of `next` relative to
// `previous`, as an upward row shift, or none when it cannot be used. It
// works on a third of the columns and a quarter of the rows: a hint within a
// few rows is all the search needs. On pages of evenly spaced lines it may
// be off by whole lines; the exhaustive pass then decides.
std::optional<int> registrationHint(const cv::Mat& previous, const cv::Mat& next, int frameWidth, int maxShift) {
    const cv::Size size(std::min(previous.cols, hintColumns), std::max(previous.rows / hintRowReduction, 1));
    cv::Point2d offset;
    try {
        offset = cv::phaseCorrelate(forCorrelation(previous, size), forCorrelation(next, size));
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
    const double rows = offset.y * previous.rows / size.height;
    const double sideways = offset.x * frameWidth / size.width;
    if (!std::isfinite(rows) || !std::isfinite(sideways) || std::abs(sideways) >= 3.0) return std::nullopt;
    const double hint = std::round(-rows);
    if (hint < 2 || hint > maxShift) return std::nullopt;
    return int(hint);
}

struct Best {
    double score = infinity;
    int shift = 0;
};

// Scores shifts first…last in order; only a strictly smaller score replaces
// the best, so the first of equal scores wins.
void scan(const ScrollShiftSearch& search, int first, int last, Best& best) {
    for (int shift = first; shift <= last; ++shift) {
        const double score = search.score(shift, false, best.score);
        if (score < best.score) best = {score, shift};
    }
}

bool acceptable(const Best& best, double meanDiff) {
    return best.score < acceptableScore && best.score < acceptableShare * meanDiff && best.shift >= 1;
}

// The shifts around the hint, then around the best of those. A good hint
// leaves the exhaustive pass almost nothing to do: every other shift is
// dropped as soon as it scores worse.
void scanAroundHint(const ScrollShiftSearch& search, int hint, Best& best) {
    scan(search, std::max(hint - 3, 2), std::min(hint + 3, search.maxShift()), best);
    if (best.shift >= 1) {
        const int around = best.shift;
        scan(search, std::max(around - 4, 2), std::min(around + 4, search.maxShift()), best);
    }
}

bool contentCouldHaveMovedDown(const ScrollShiftSearch& search, double best) {
    const double ceiling = best + ambiguityMargin;
    for (int shift = 2; shift <= search.maxShift(); ++shift)
        if (search.score(shift, true, ceiling) <= ceiling) return true;
    return false;
}

}  // namespace

QByteArray scrollSignature(const QImage& frame) {
    if (frame.isNull()) return QByteArray(signatureWidth * signatureHeight, '\0');
    const cv::Mat thumbnail = scrollgrey::reduced(scrollgrey::of(frame), cv::Size(signatureWidth, signatureHeight));
    return QByteArray(reinterpret_cast<const char*>(thumbnail.data), int(thumbnail.total()));
}

double scrollDifference(const QByteArray& a, const QByteArray& b) {
    if (a.isEmpty() || b.isEmpty() || a.size() != b.size()) return infinity;
    long long sum = 0;
    for (qsizetype i = 0; i < a.size(); ++i) sum += std::abs(int(quint8(a[i])) - int(quint8(b[i])));
    return double(sum) / double(a.size());
}

std::optional<int> scrollOverlap(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) throw ShotError(sizeChanged());
    if (a.isNull()) return 0;
    const int columns = std::min(a.width(), searchColumns);
    const cv::Mat previous = scrollgrey::narrowed(scrollgrey::of(a), columns);
    const cv::Mat next = scrollgrey::narrowed(scrollgrey::of(b), columns);

    const double meanDiff = meanDifference(previous, next);
    if (meanDiff < unchangedDifference) return 0;
    const ScrollShiftSearch search(previous, next, a.width());
    if (!search.usable()) return std::nullopt;

    Best best;
    if (const auto hint = registrationHint(previous, next, a.width(), search.maxShift()))
        scanAroundHint(search, *hint, best);
    // Always exhaustive: a hint off by whole text lines can find a shift that
    // looks acceptable on a mostly white page and would join the wrong rows.
    scan(search, 2, search.maxShift(), best);
    if (!acceptable(best, meanDiff)) return std::nullopt;
    if (contentCouldHaveMovedDown(search, best.score)) return std::nullopt;
    return search.height() - best.shift;
}

}  // namespace tavero::ImageOps
