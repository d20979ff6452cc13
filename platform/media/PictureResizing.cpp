#include "platform/media/PictureResizing.h"

#include "platform/media/MediaError.h"

extern "C" {
#include <libavutil/error.h>
}

#include <libyuv/planar_functions.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tavero::media {

namespace {

static_assert(std::endian::native == std::endian::little, "a pixel's bytes are widened into 16-bit lanes in order");

using Bytes = uint8_t __attribute__((vector_size(16)));
using HalfBytes = uint8_t __attribute__((vector_size(8)));
using Lanes = uint16_t __attribute__((vector_size(16)));
using Longs = uint64_t __attribute__((vector_size(16)));

// Where an output pixel reads along one direction: the pixel `first` and the
// next, weighed 256 − `fraction` and `fraction`.
struct Tap {
    int first;
    int fraction;
};

// libyuv's bilinear positions in 16.16 fixed point: made smaller, each pixel
// samples the middle of what it covers; made larger, the first and last land
// on the first and last.
std::vector<Tap> tapsAlong(int from, int to) {
    int64_t step = 0;
    int64_t at = 0;
    if (to <= from) {
        step = (int64_t(from) << 16) / to;
        at = step / 2 - 0x8000;
    } else if (from > 1) {
        step = ((int64_t(from) << 16) - 0x10001) / (to - 1);
    }
    const int64_t last = int64_t(from - 1) << 16;
    std::vector<Tap> taps(static_cast<size_t>(to));
    for (Tap& tap : taps) {
        const int64_t clamped = std::clamp<int64_t>(at, 0, last);
        tap = {int(clamped >> 16), int(clamped >> 8 & 0xff)};
        at += step;
    }
    return taps;
}

// The two pixels at `pair` weighed by `weights`, each byte in a 16-bit lane:
// the first pixel's in the lower four lanes, the second's in the upper four.
Lanes weighed(const uint32_t* pair, Lanes weights) {
    uint64_t bytes = 0;
    std::memcpy(&bytes, pair, sizeof bytes);
    const auto low = Bytes(Longs{bytes, 0});
    const auto wide =
        Lanes(__builtin_shufflevector(low, Bytes{}, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
    return wide * weights;
}

// How each pixel of an output row reads its source row: the pair of pixels
// from `firsts[x]`, weighed by `weights[x]`. Pixels are done two at a time,
// so an odd width has one more.
struct RowTaps {
    std::vector<int> firsts;
    std::vector<Lanes> weights;
};

RowTaps rowTaps(int from, int to) {
    const std::vector<Tap> taps = tapsAlong(from, to);
    RowTaps row;
    for (size_t x = 0; x < (taps.size() + 1) / 2 * 2; ++x) {
        const Tap tap = taps[std::min(x, taps.size() - 1)];
        // The last pixel is read as the second of the pair before it.
        const int first = std::max(std::min(tap.first, from - 2), 0);
        const auto weight = uint16_t(tap.fraction + 256 * (tap.first - first));
        const auto rest = uint16_t(256 - weight);
        row.firsts.push_back(first);
        row.weights.push_back(Lanes{rest, rest, rest, rest, weight, weight, weight, weight});
    }
    return row;
}

// `row` resized into `into` as `taps` say, two pixels at a time, each value
// rounded to the nearest.
void resizeRow(const uint32_t* row, int width, const RowTaps& taps, uint32_t* into) {
    const size_t count = taps.firsts.size();
    // One pixel wide, a row has no pair to read: it is that pixel throughout.
    if (width == 1) {
        std::fill_n(into, count, row[0]);
        return;
    }
    // Held apart: the compiler could not tell the stores into the row from
    // the vectors' own pointers, and would read them again for every pair.
    const int* firsts = taps.firsts.data();
    const Lanes* weights = taps.weights.data();
    for (size_t x = 0; x < count; x += 2) {
        const Lanes a = weighed(row + firsts[x], weights[x]);
        const Lanes b = weighed(row + firsts[x + 1], weights[x + 1]);
        const Lanes sums = (__builtin_shufflevector(a, b, 0, 1, 2, 3, 8, 9, 10, 11) +
                            __builtin_shufflevector(a, b, 4, 5, 6, 7, 12, 13, 14, 15) + 128) >>
                           8;
        const auto pixels = __builtin_convertvector(sums, HalfBytes);
        std::memcpy(into + x, &pixels, sizeof pixels);
    }
}

// A source's rows resized along their length, two kept at a time: each
// output row blends two of them, and made taller, the next one mostly the same.
class ResizedRows {
public:
    ResizedRows(const QImage& from, int width) : from_(from), taps_(rowTaps(from.width(), width)) {
        for (std::vector<uint32_t>& row : rows_) row.resize(taps_.firsts.size());
    }

    const uint8_t* row(int y) {
        const int slot = y & 1;
        if (filled_[slot] != y) {
            resizeRow(reinterpret_cast<const uint32_t*>(from_.constScanLine(y)), from_.width(), taps_,
                      rows_[slot].data());
            filled_[slot] = y;
        }
        return reinterpret_cast<const uint8_t*>(rows_[slot].data());
    }

private:
    const QImage& from_;
    RowTaps taps_;
    std::vector<uint32_t> rows_[2];
    int filled_[2] = {-1, -1};
};

}  // namespace

void resizeBilinear(const QImage& from, QImage& to) {
    ResizedRows rows(from, to.width());
    const std::vector<Tap> down = tapsAlong(from.height(), to.height());
    for (int y = 0; y < to.height(); ++y) {
        const Tap tap = down[size_t(y)];
        const uint8_t* upper = rows.row(tap.first);
        const uint8_t* lower = rows.row(std::min(tap.first + 1, from.height() - 1));
        if (libyuv::ARGBInterpolate(upper, 0, lower, 0, to.scanLine(y), 0, to.width(), 1, tap.fraction) != 0)
            throw MediaError("scaling", AVERROR(EINVAL));
    }
}

}  // namespace tavero::media
