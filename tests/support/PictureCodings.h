#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <ostream>
#include <string>

namespace tavero::test {

// A coding whose pictures FFmpeg decodes into a pixel format of its own, as
// an editor, a camera or a screen recorder writes it.
struct PictureCoding {
    // For the test's name.
    std::string name;
    // The container's file suffix.
    QString suffix;
    // The encoder and its options, the pixel format included.
    QStringList coding;
    // The pixel format FFmpeg decodes it into.
    QString decodesInto;
    // Every pixel a quarter opaque.
    bool seeThrough = false;
};

// Names the coding in a failed test's report.
inline void PrintTo(const PictureCoding& coding, std::ostream* out) { *out << coding.name; }

// ProRes 422 10-bit in a .mov (untagged: BT.601), H.264 High 4:4:4 and High
// 4:2:2 of 10 bits, H.264 4:2:0 in full range and in SMPTE 240M (a matrix of
// early HD cameras), PNG pictures in a .mov (RGB), VP9 in RGB in an .mp4,
// FFV1 4:4:4 of 12 bits in a .mkv, and PNG pictures with transparency in a
// .mov. The other H.264 and the FFV1 pictures are coded with the BT.709
// matrix; both matrices' colours differ from BT.601's.
QList<PictureCoding> pictureCodings();

// What a fixture shows: FFmpeg's moving testsrc2, or the still quarters of
// MediaFixtures.h (quarterColours).
enum class Showing { moving, quarters };

// Writes `seconds` of `showing` at `size` and 10 pictures a second in
// `coding` to `path` with FFmpeg's command line; a failure fails the test
// (check with ASSERT_NO_FATAL_FAILURE).
void makeCodedVideo(const QString& path, const PictureCoding& coding, Showing showing, QSize size, double seconds);

}  // namespace tavero::test
