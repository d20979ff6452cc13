#include "tests/support/PictureCodings.h"

#include "tests/support/MediaFixtures.h"

#include <gtest/gtest.h>

namespace tavero::test {

namespace {

constexpr int rate = 10;

QString moving(QSize size, double seconds) {
    return QStringLiteral("testsrc2=size=%1x%2:rate=%3:duration=%4")
        .arg(size.width())
        .arg(size.height())
        .arg(rate)
        .arg(seconds);
}

// Coded with `matrix` ("bt709", "smpte240m") in `range` ("tv", "pc"), not
// only tagged so.
PictureCoding withMatrix(std::string name, QString suffix, QStringList coding, QString decodesInto,
                         QString range = QStringLiteral("tv"), QString matrix = QStringLiteral("bt709")) {
    coding << QStringLiteral("-vf") << QStringLiteral("scale=out_color_matrix=%1:out_range=%2").arg(matrix, range)
           << QStringLiteral("-colorspace") << matrix << QStringLiteral("-color_primaries") << matrix
           << QStringLiteral("-color_trc") << matrix << QStringLiteral("-color_range") << range;
    return {std::move(name), std::move(suffix), std::move(coding), std::move(decodesInto)};
}

}  // namespace

QList<PictureCoding> pictureCodings() {
    const QString mov = QStringLiteral("mov"), mp4 = QStringLiteral("mp4");
    const auto x264 = [](const char* format) {
        return QStringList{QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-pix_fmt"),
                           QString::fromLatin1(format)};
    };
    return {
        {"ProRes422_10bit", mov,
         QStringList{"-c:v", "prores_ks", "-profile:v", "2", "-pix_fmt", "yuv422p10le"}, "yuv422p10le"},
        withMatrix("H264_444_10bit", mp4, x264("yuv444p10le"), "yuv444p10le"),
        withMatrix("H264_422_10bit", mp4, x264("yuv422p10le"), "yuv422p10le"),
        withMatrix("H264_420_fullRange", mp4, x264("yuv420p"), "yuvj420p", QStringLiteral("pc")),
        withMatrix("H264_420_smpte240m", mp4, x264("yuv420p"), "yuv420p", QStringLiteral("tv"),
                   QStringLiteral("smpte240m")),
        {"Png_rgb24", mov, QStringList{"-c:v", "png", "-pix_fmt", "rgb24"}, "rgb24"},
        {"Vp9_gbrp", mp4, QStringList{"-c:v", "libvpx-vp9", "-pix_fmt", "gbrp", "-deadline", "realtime"}, "gbrp"},
        withMatrix("Ffv1_444_12bit", QStringLiteral("mov"), QStringList{"-c:v", "ffv1", "-pix_fmt", "yuv444p12le"},
                   "yuv444p12le"),
        {"Png_rgba_seeThrough", mov, QStringList{"-c:v", "png", "-pix_fmt", "rgba"}, "rgba", true},
    };
}

void makeCodedVideo(const QString& path, const PictureCoding& coding, Showing showing, QSize size, double seconds) {
    QString source = showing == Showing::quarters ? quartersSource(size, rate, seconds) : moving(size, seconds);
    if (coding.seeThrough) source += QStringLiteral(",format=rgba,colorchannelmixer=aa=0.25");
    runFfmpeg(QStringList{"-f", "lavfi", "-i", source} + coding.coding + QStringList{path});
}

}  // namespace tavero::test
