#pragma once

#include <QIODevice>
#include <QList>

#include <optional>

namespace tavero::heif {

// What the boxes of a HEIF file ask of a reader, found from a few bytes of
// the boxes that hold the answer, however large the file.
struct Outline {
    // Where the first `maxTopLevelBoxes` boxes of the file end: a reader is
    // shown no more.
    qint64 end = 0;
    // Where the types of those boxes stand that a reader is to take for
    // padding: all but the file type and the description, the only boxes
    // libheif needs (the coded data is found from the description).
    QList<qint64> paddingTypes;
    // The items the file describes.
    qint64 items = 0;
    // Whether one of the first maxItems of them is coded in AV1, which
    // libheif decodes with dav1d or aom at whatever size the stream states:
    // HEIC pictures are coded in HEVC.
    bool codedInAv1 = false;
    // The pictures that derived pictures (grids, overlays) are made of, once
    // for each place they stand in: each is decoded on its own.
    qint64 tiles = 0;
    // The pixels of the HEVC-coded pictures: the size their parameter sets
    // state, in their decoder setup or their coded data, which the decoder
    // makes room for whatever the size boxes declare; once for each place
    // they stand in, or once: see codedPixels in HeifCodedSizes.h. Measured
    // when asked for alone; none when not measured.
    std::optional<qint64> codedPixels = std::nullopt;
};

// Whether an outline measures the sizes the coded streams state: only
// decoding needs them.
enum class CodedSizes { unmeasured, measured };

// libheif's reading of a description takes time that grows with the square
// of the items it describes: a thousand take some 70 ms, ten thousand seconds.
inline constexpr qint64 maxItems = 1024;

// HEIF files hold a file type, a description and the coded data, and little
// else, one box each.
inline constexpr int maxTopLevelBoxes = 32;

// Coded pictures are whole blocks of up to 64 pixels a side, cut to the
// declared size afterwards: a stream may be that much larger, no more. The
// largest side of a stream for a picture whose side is `declared`.
int codedSideAllowance(int declared);

// The outline of the HEIF data filling `device`, a device that can seek,
// from its start; none when its description cannot be found within the
// first boxes, or when the file type and the description are larger, or
// hold more boxes, than any picture needs.
std::optional<Outline> outline(QIODevice& device, CodedSizes codedSizes);

}  // namespace tavero::heif
