#include "platform/media/Concatenation.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace tavero;
using namespace tavero::media;

namespace {

QString packetTimes(const QString& path, const QString& stream) {
    return test::ffprobe({QStringLiteral("-select_streams"), stream, QStringLiteral("-show_entries"),
                          QStringLiteral("packet=pts_time"), QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                         path);
}

}  // namespace

TEST(ConcatenationTest, OneStreamFillingTwoTracksWritesBothInFull) {
    test::TempDir folder;
    const QString source = folder.file(QStringLiteral("a.mp4"));
    ASSERT_NO_FATAL_FAILURE(
        test::makeVideo(source, {.duration = 1.0, .size = QSize(64, 48), .audio = {test::systemTone}}));
    const QString output = folder.file(QStringLiteral("twice.mp4"));
    concatenate({ConcatSource{source, 1.0, {0, 1, 1}}, ConcatSource{source, 1.0, {0, 1, 1}}}, output);

    const QString codecs = test::ffprobe({QStringLiteral("-show_entries"), QStringLiteral("stream=codec_name"),
                                          QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                                         output);
    EXPECT_EQ(codecs.simplified().toStdString(), "h264 aac aac");
    const QString first = packetTimes(output, QStringLiteral("a:0"));
    EXPECT_GT(first.count(QLatin1Char('\n')), 90) << "two seconds of sound";
    EXPECT_EQ(packetTimes(output, QStringLiteral("a:1")).toStdString(), first.toStdString());
    EXPECT_EQ(test::soundTrackTags(output).join(QLatin1Char(' ')).toStdString(), "system system");
}
