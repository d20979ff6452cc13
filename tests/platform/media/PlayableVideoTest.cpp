#include "platform/files/PendingFile.h"
#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/media/PlayableVideo.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace tavero;
using namespace tavero::media;

namespace {

class PlayableVideoTest : public testing::Test {
protected:
    QString make(const QString& name, const test::VideoFixture& fixture) {
        const QString path = dir.file(name);
        test::makeVideo(path, fixture);
        return path;
    }

    // The MediaError measuring `path` ends with; fails the test when it measures.
    MediaError refusal(const QString& path) {
        try {
            const PlayableVideo video = measurePlayableVideo(path);
            ADD_FAILURE() << path.toStdString() << " measured " << video.duration << " s";
        } catch (const MediaError& error) {
            return error;
        }
        return MediaError("nothing thrown", 0);
    }

    test::TempDir dir;
};

// Encodes `frames` grey pictures into `path` with the owners alone, in the
// call order every writer follows.
void writeClip(const QString& path, int frames, WriteBack writeBack, const char* movflags = nullptr) {
    const OutputContext output = openOutput(path, "mp4", writeBack);
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    ASSERT_NE(codec, nullptr);
    const CodecContext encoder = makeCodecContext(codec);
    encoder->width = 64;
    encoder->height = 48;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->time_base = {1, 30};
    encoder->max_b_frames = 0;
    if (output->oformat->flags & AVFMT_GLOBALHEADER) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(encoder.get(), codec, nullptr), "avcodec_open2");
    AVStream* stream = avformat_new_stream(output.get(), nullptr);
    check(avcodec_parameters_from_context(stream->codecpar, encoder.get()), "avcodec_parameters_from_context");
    stream->time_base = encoder->time_base;
    AVDictionary* options = nullptr;
    if (movflags) av_dict_set(&options, "movflags", movflags, 0);
    const int header = avformat_write_header(output.get(), &options);
    av_dict_free(&options);
    check(header, "avformat_write_header");

    const Frame frame = makeFrame();
    frame->format = encoder->pix_fmt;
    frame->width = encoder->width;
    frame->height = encoder->height;
    check(av_frame_get_buffer(frame.get(), 0), "av_frame_get_buffer");
    const Packet packet = makePacket();
    const auto drain = [&] {
        while (avcodec_receive_packet(encoder.get(), packet.get()) == 0) {
            av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            check(av_interleaved_write_frame(output.get(), packet.get()), "av_interleaved_write_frame");
        }
    };
    for (int index = 0; index < frames; ++index) {
        check(av_frame_make_writable(frame.get()), "av_frame_make_writable");
        for (int plane = 0; plane < 3; ++plane)
            std::fill_n(frame->data[plane], frame->linesize[plane] * (plane ? 24 : 48), plane ? 128 : 4 * index);
        frame->pts = index;
        check(avcodec_send_frame(encoder.get(), frame.get()), "avcodec_send_frame");
        drain();
    }
    check(avcodec_send_frame(encoder.get(), nullptr), "avcodec_send_frame");
    drain();
    check(av_write_trailer(output.get()), "av_write_trailer");
}

}  // namespace

TEST_F(PlayableVideoTest, MeasuresWholeVideosOfEveryKind) {
    const PlayableVideo plain = measurePlayableVideo(make("plain.mp4", {.duration = 2.0, .audio = {test::systemTone}}));
    EXPECT_NEAR(plain.duration, 2.0, 0.05);
    EXPECT_FALSE(plain.cutShort);

    const QString part = make("part.mp4", {.duration = 1.0,
                                           .codec = QStringLiteral("libx265"),
                                           .audio = {test::systemTone, test::micTone},
                                           .fragmented = true});
    EXPECT_NEAR(measurePlayableVideo(part).duration, 1.0, 0.05);
    EXPECT_EQ(test::ffprobe({"-show_entries", "stream=codec_name:stream_tags=handler_name", "-of", "csv=p=0"}, part),
              QStringLiteral("hevc,VideoHandler\naac,system\naac,mic\n"));

    const double blink = measurePlayableVideo(make("blink.mp4", {.duration = 0.05})).duration;
    EXPECT_GT(blink, 0);
    EXPECT_LT(blink, 0.1);
}

TEST_F(PlayableVideoTest, APartCutMidFragmentPlaysUpToItsLastWholeFragment) {
    const QString part = make("part.mp4", {.duration = 4.0, .audio = {test::systemTone}, .fragmented = true});
    const QList<qint64> keyframes = test::keyframeOffsets(part);
    ASSERT_EQ(keyframes.size(), 4);
    test::truncateFile(part, (keyframes[2] + keyframes[3]) / 2);
    const PlayableVideo cut = measurePlayableVideo(part);
    EXPECT_NEAR(cut.duration, 2.0, 0.05);
    EXPECT_TRUE(cut.cutShort);

    test::truncateFile(part, (keyframes[0] + keyframes[1]) / 2);
    EXPECT_TRUE(std::string(refusal(part).what()).starts_with("no playable duration"));
}

TEST_F(PlayableVideoTest, AClipWrittenThroughTheOwnersAndPublishedPlays) {
    const QString destination = dir.file("clip.mp4");
    auto pending = PendingFile::reserve(destination);
    ASSERT_TRUE(pending);
    ASSERT_NO_FATAL_FAILURE(writeClip(pending->temporaryPath(), 30, WriteBack::whenFlushed));
    ASSERT_EQ(pending->publish(), PublishResult::Published);
    EXPECT_NEAR(measurePlayableVideo(destination).duration, 1.0, 0.05);

    // Written back while writing, with the index moved to the front, which
    // reads the file again by its name.
    const QString early = dir.file("early.mp4");
    ASSERT_NO_FATAL_FAILURE(writeClip(early, 60, WriteBack::whileWriting, "+faststart"));
    EXPECT_NEAR(measurePlayableVideo(early).duration, 2.0, 0.05);
    const QByteArray bytes = test::readFile(early);
    EXPECT_LT(bytes.indexOf("moov"), bytes.indexOf("mdat"));
}
