#include "document/ImageFilters.h"
#include "document/PixelViews.h"

#include <opencv2/core/hal/intrin.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace tavero::ImageOps::filters {

namespace {

// Small blurs use a true Gaussian kernel. Larger ones use three box passes
// whose combined variance matches sigma²: their cost does not grow with the
// radius, which keeps a cover of strength 96 as quick as one of 4.
constexpr double smallestBoxedSigma = 3.0;

struct BlurPasses {
    int gaussianRadius = 0;
    std::vector<int> boxWidths;
    int reach = 0;
};

// Box widths after Kovesi, "Fast almost-Gaussian filtering": n passes of odd
// widths wl or wl + 2, as many of each as brings the variance closest to sigma².
std::vector<int> boxWidthsFor(double sigma, int passes) {
    const double ideal = std::sqrt(12 * sigma * sigma / passes + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0) --lower;
    const double lowerCount =
        (12 * sigma * sigma - passes * lower * lower - 4.0 * passes * lower - 3.0 * passes) / (-4.0 * lower - 4);
    const int narrow = std::clamp(int(std::lround(lowerCount)), 0, passes);
    std::vector<int> widths(size_t(passes), lower + 2);
    std::fill_n(widths.begin(), narrow, lower);
    return widths;
}

BlurPasses passesFor(double sigma) {
    BlurPasses passes;
    if (!(sigma > 0)) return passes;
    if (sigma < smallestBoxedSigma) {
        passes.gaussianRadius = int(std::ceil(3 * sigma));
        passes.reach = passes.gaussianRadius;
        return passes;
    }
    passes.boxWidths = boxWidthsFor(sigma, 3);
    for (int width : passes.boxWidths) passes.reach += (width - 1) / 2;
    return passes;
}

// `source` blurred, in `first` or `second` (or `source` itself when there is
// nothing to blur), which keep their memory from one blur to the next.
const cv::Mat& blurredInto(const cv::Mat& source, const BlurPasses& passes, double sigma, cv::Mat& first,
                           cv::Mat& second) {
    if (passes.gaussianRadius > 0) {
        const int size = 2 * passes.gaussianRadius + 1;
        cv::GaussianBlur(source, first, cv::Size(size, size), sigma, sigma, cv::BORDER_REPLICATE);
        return first;
    }
    const cv::Mat* from = &source;
    cv::Mat* to = &first;
    for (int width : passes.boxWidths) {
        cv::blur(*from, *to, cv::Size(width, width), cv::Point(-1, -1), cv::BORDER_REPLICATE);
        from = to;
        to = to == &first ? &second : &first;
    }
    return *from;
}

cv::Rect cvRect(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

// Index of the pixel that the block holding `pixel` samples, inside [low, high].
int blockSample(int pixel, double origin, double blockSize, int low, int high) {
    const double block = std::floor((pixel + 0.5 - origin) / blockSize);
    const double centre = origin + (block + 0.5) * blockSize;
    return std::clamp(int(std::floor(centre)), low, high);
}

// Where a target pixel samples its source along one axis: the two source
// pixels around its position (edge pixels repeated beyond the border) and
// the second one's share out of 256.
struct Tap {
    int first = 0;
    int second = 0;
    int weight = 0;
};

std::vector<Tap> tapsFor(int start, int count, double toStart, double scale, double fromStart, int sourceLength) {
    std::vector<Tap> taps(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        // Between pixel centres.
        const double position = fromStart + (start + i + 0.5 - toStart) * scale - 0.5;
        const double whole = std::floor(position);
        int first = int(whole);
        int weight = int(std::lround((position - whole) * 256));
        if (weight == 256) {
            ++first;
            weight = 0;
        }
        taps[size_t(i)] = {std::clamp(first, 0, sourceLength - 1), std::clamp(first + 1, 0, sourceLength - 1), weight};
    }
    return taps;
}

// The two pixels mixed channel by channel, the second one's share `weight`
// out of 256: two channels at a time in the halves of one word.
inline uint32_t mixed(uint32_t first, uint32_t second, uint32_t weight) {
    const uint32_t keep = 256 - weight;
    const uint32_t oddChannels =
        (((first & 0x00ff00ffu) * keep + (second & 0x00ff00ffu) * weight + 0x00800080u) >> 8) & 0x00ff00ffu;
    const uint32_t evenChannels =
        (((first >> 8) & 0x00ff00ffu) * keep + ((second >> 8) & 0x00ff00ffu) * weight + 0x00800080u) & 0xff00ff00u;
    return oddChannels | evenChannels;
}

#if CV_SIMD128
// Channels of two groups of four pixels mixed as mixed() does, the second
// group's share given per channel for each half of the group.
inline cv::v_uint8x16 mixedChannels(const cv::v_uint8x16& first, const cv::v_uint8x16& second,
                                     const cv::v_uint16x8& shareLow, const cv::v_uint16x8& shareHigh) {
    const cv::v_uint16x8 whole = cv::v_setall_u16(256), rounding = cv::v_setall_u16(128);
    cv::v_uint16x8 firstLow, firstHigh, secondLow, secondHigh;
    cv::v_expand(first, firstLow, firstHigh);
    cv::v_expand(second, secondLow, secondHigh);
    const cv::v_uint16x8 low =
        (cv::v_mul_wrap(firstLow, whole - shareLow) + cv::v_mul_wrap(secondLow, shareLow) + rounding) >> 8;
    const cv::v_uint16x8 high =
        (cv::v_mul_wrap(firstHigh, whole - shareHigh) + cv::v_mul_wrap(secondHigh, shareHigh) + rounding) >> 8;
    return cv::v_pack(low, high);
}
#endif

// One source row stretched along x: four pixels at a time where the
// processor can.
void stretchRow(const uchar* source, const std::vector<Tap>& columns, uint32_t* row) {
    const auto* pixels = reinterpret_cast<const uint32_t*>(source);
    size_t x = 0;
#if CV_SIMD128
    for (; x + 4 <= columns.size(); x += 4) {
        const Tap* t = &columns[x];
        const cv::v_uint32x4 firsts(pixels[t[0].first], pixels[t[1].first], pixels[t[2].first], pixels[t[3].first]);
        const cv::v_uint32x4 seconds(pixels[t[0].second], pixels[t[1].second], pixels[t[2].second],
                                     pixels[t[3].second]);
        const auto share = [](int a, int b) {
            return cv::v_uint16x8(ushort(a), ushort(a), ushort(a), ushort(a), ushort(b), ushort(b), ushort(b), ushort(b));
        };
        cv::v_store(reinterpret_cast<uchar*>(row + x),
                    mixedChannels(cv::v_reinterpret_as_u8(firsts), cv::v_reinterpret_as_u8(seconds),
                                  share(t[0].weight, t[1].weight), share(t[2].weight, t[3].weight)));
    }
#endif
    for (; x < columns.size(); ++x)
        row[x] = mixed(pixels[columns[x].first], pixels[columns[x].second], uint32_t(columns[x].weight));
}

// Two stretched rows mixed, the lower one's share `weight` out of 256:
// sixteen channels at a time where the processor can.
void blendRows(const uint32_t* upper, const uint32_t* lower, int weight, uchar* target, size_t count) {
    if (weight == 0) {
        std::memcpy(target, upper, count * 4);
        return;
    }
    size_t done = 0;
#if CV_SIMD128
    const auto* first = reinterpret_cast<const uchar*>(upper);
    const auto* second = reinterpret_cast<const uchar*>(lower);
    const cv::v_uint16x8 share = cv::v_setall_u16(uint16_t(weight));
    for (; done + 4 <= count; done += 4)
        cv::v_store(target + done * 4,
                    mixedChannels(cv::v_load(first + done * 4), cv::v_load(second + done * 4), share, share));
#endif
    for (; done < count; ++done) {
        const uint32_t pixel = mixed(upper[done], lower[done], uint32_t(weight));
        std::memcpy(target + done * 4, &pixel, 4);
    }
}

}  // namespace

int blurReach(double sigma) { return passesFor(sigma).reach; }

struct BlurMemory::Buffers {
    cv::Mat padded;
    cv::Mat first;
    cv::Mat second;
};

BlurMemory::BlurMemory() : buffers_(std::make_unique<Buffers>()) {}

BlurMemory::~BlurMemory() = default;

QImage blurred(const QImage& image, const QRect& region, double sigma) {
    BlurMemory memory;
    QImage output;
    blurInto(image, region, sigma, output, memory);
    return output;
}

void blurInto(const QImage& image, const QRect& region, double sigma, QImage& output, BlurMemory& memory) {
    const BlurPasses passes = passesFor(sigma);
    const int reach = passes.reach;
    const QRect grown = region.adjusted(-reach, -reach, reach, reach);
    const QRect readable = grown & image.rect();
    if (readable.isEmpty()) {
        output = QImage();
        return;
    }

    BlurMemory::Buffers& buffers = *memory.buffers_;
    cv::copyMakeBorder(pixels::constView(image)(cvRect(readable)), buffers.padded, readable.top() - grown.top(),
                       grown.bottom() - readable.bottom(), readable.left() - grown.left(),
                       grown.right() - readable.right(), cv::BORDER_REPLICATE);
    const cv::Mat& result = blurredInto(buffers.padded, passes, sigma, buffers.first, buffers.second);

    if (output.size() != region.size() || output.format() != image.format()) output = QImage(region.size(), image.format());
    if (output.isNull()) return;
    cv::Mat target = pixels::view(output);
    result(cv::Rect(reach, reach, region.width(), region.height())).copyTo(target);
}

QImage pixellated(const QImage& image, const QRect& region, double blockSize, QPointF gridOrigin) {
    const QRect inside = region & image.rect();
    if (inside.isEmpty() || !(blockSize > 0)) return {};
    QImage output(inside.size(), image.format());
    if (output.isNull()) return {};

    std::vector<int> sampleColumns(size_t(inside.width()));
    for (int x = 0; x < inside.width(); ++x)
        sampleColumns[size_t(x)] =
            blockSample(inside.left() + x, gridOrigin.x(), blockSize, inside.left(), inside.right());

    const int bytesPerPixel = image.depth() / 8;
    for (int y = 0; y < inside.height(); ++y) {
        const int sampleRow = blockSample(inside.top() + y, gridOrigin.y(), blockSize, inside.top(), inside.bottom());
        const uchar* source = image.constScanLine(sampleRow);
        uchar* target = output.scanLine(y);
        for (int x = 0; x < inside.width(); ++x)
            std::memcpy(target + x * bytesPerPixel, source + sampleColumns[size_t(x)] * bytesPerPixel,
                        size_t(bytesPerPixel));
    }
    return output;
}

void reduceInto(const QImage& image, QImage& output) {
    cv::Mat target = pixels::view(output);
    cv::resize(pixels::constView(image), target, target.size(), 0, 0, cv::INTER_AREA);
}

void drawScaled(const QImage& source, const QRectF& from, QImage& target, const QRectF& to, const QRect& clip) {
    const QRect area = clip & target.rect();
    if (area.isEmpty() || source.isNull() || to.isEmpty() || from.isEmpty()) return;
    const std::vector<Tap> columns = tapsFor(area.left(), area.width(), to.left(), from.width() / to.width(),
                                             from.left(), source.width());
    const std::vector<Tap> rows =
        tapsFor(area.top(), area.height(), to.top(), from.height() / to.height(), from.top(), source.height());
    // The two source rows the current target row lies between, stretched.
    const size_t width = size_t(area.width());
    std::vector<uint32_t> upper(width), lower(width);
    int upperRow = -1, lowerRow = -1;
    for (int y = 0; y < area.height(); ++y) {
        const Tap& row = rows[size_t(y)];
        if (row.first != upperRow) {
            if (row.first == lowerRow) std::swap(upper, lower);
            else stretchRow(source.constScanLine(row.first), columns, upper.data());
            upperRow = row.first;
        }
        if (row.second != lowerRow || lowerRow == -1) {
            stretchRow(source.constScanLine(row.second), columns, lower.data());
            lowerRow = row.second;
        }
        blendRows(upper.data(), lower.data(), row.weight, target.scanLine(area.top() + y) + area.left() * 4, width);
    }
}

}  // namespace tavero::ImageOps::filters
