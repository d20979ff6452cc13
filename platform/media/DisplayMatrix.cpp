#include "platform/media/DisplayMatrix.h"

#include "platform/media/MediaError.h"

extern "C" {
#include <libavutil/display.h>
}

#include <cmath>
#include <cstring>

namespace tavero::media {

namespace {

constexpr size_t matrixBytes = 9 * sizeof(int32_t);

const uint8_t* matrixOf(const AVStream* stream) {
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    return matrix && size >= matrixBytes ? matrix : nullptr;
}

}  // namespace

int uprightTurn(const AVStream* stream) {
    const uint8_t* matrix = matrixOf(stream);
    if (!matrix) return 0;
    // The matrix's angle runs anticlockwise; NaN for a matrix that scales
    // a side to nothing.
    const double anticlockwise = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (!std::isfinite(anticlockwise)) return 0;
    const long quarters = std::lround(-anticlockwise / 90);
    return int(((quarters % 4) + 4) % 4) * 90;
}

void keepDisplayMatrix(const AVStream* from, AVStream* to) {
    const uint8_t* matrix = matrixOf(from);
    if (!matrix) return;
    uint8_t* copy = av_stream_new_side_data(to, AV_PKT_DATA_DISPLAYMATRIX, matrixBytes);
    if (!copy) throw MediaError("av_stream_new_side_data", AVERROR(ENOMEM));
    std::memcpy(copy, matrix, matrixBytes);
}

}  // namespace tavero::media
