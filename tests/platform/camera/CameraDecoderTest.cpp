#include "platform/camera/CameraDecoder.h"
#include "platform/media/MediaError.h"
#include "platform/memory/AllocatorSettings.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/Memory.h"
#include "tests/support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <vector>

using namespace tavero;
using namespace tavero::media;

namespace {

// A camera's stream as the library reads such a file by its content: the
// program's InputFile opens nothing but MP4, QuickTime, Matroska and MPEG-TS videos.
InputContext openCameraStream(const QString& path) {
    AVFormatContext* context = nullptr;
    check(avformat_open_input(&context, QFile::encodeName(path).constData(), nullptr, nullptr), "avformat_open_input");
    InputContext input(context);
    check(avformat_find_stream_info(context, nullptr), "avformat_find_stream_info");
    return input;
}

// Every picture of `path`'s video stream, fed packet by packet through the
// camera's decoder as the camera's reading thread feeds it.
QList<QImage> decodedPictures(const QString& path, int& packets) {
    const InputContext input = openCameraStream(path);
    const AVStream* stream = firstVideoStream(input.get());
    CameraDecoder decoder(stream);
    QList<QImage> pictures;
    const Packet packet = makePacket();
    packets = 0;
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream->index) {
            ++packets;
            const qsizetype before = pictures.size();
            decoder.decode(packet.get(), [&](const QImage& picture) { pictures.append(picture); });
            EXPECT_EQ(pictures.size(), before + 1) << "each packet gives its picture at once";
        }
        av_packet_unref(packet.get());
    }
    return pictures;
}

}  // namespace

TEST(CameraDecoderTest, MjpegAndRawCameraStreamsBecomeUprightRgbPictures) {
    test::TempDir folder;
    const QSize size(320, 240);
    for (const QString& format : {QStringLiteral("yuvj422p"), QStringLiteral("yuvj420p"), QStringLiteral("yuyv422")}) {
        SCOPED_TRACE(format.toStdString());
        const QString path = folder.file(format + QStringLiteral(".stream"));
        ASSERT_NO_FATAL_FAILURE(test::makeCameraStream(path, format, size));
        int packets = 0;
        const QList<QImage> pictures = decodedPictures(path, packets);
        EXPECT_EQ(packets, 3);
        ASSERT_EQ(pictures.size(), 3);
        for (const QImage& picture : pictures) {
            EXPECT_EQ(picture.format(), QImage::Format_RGB32);
            EXPECT_EQ(picture.size(), size);
            EXPECT_TRUE(test::sameColours(test::quartersOf(picture), test::quarterColours))
                << test::quartersOf(picture)[0].name().toStdString();
        }
    }
}

TEST(CameraDecoderTest, ADamagedJpegGivesNoPictureAndTheNextOneDecodes) {
    test::TempDir folder;
    const QString path = folder.file(QStringLiteral("camera.mjpeg"));
    ASSERT_NO_FATAL_FAILURE(test::makeCameraStream(path, QStringLiteral("yuvj422p"), QSize(64, 48)));
    const InputContext input = openCameraStream(path);
    CameraDecoder decoder(firstVideoStream(input.get()));
    const Packet packet = makePacket();
    ASSERT_GE(av_read_frame(input.get(), packet.get()), 0);
    Packet damaged = makePacket();
    ASSERT_GE(av_new_packet(damaged.get(), 16), 0);
    std::fill_n(damaged->data, 16, uint8_t(0xAB));
    int pictures = 0;
    decoder.decode(damaged.get(), [&](const QImage&) { ++pictures; });
    EXPECT_EQ(pictures, 0);
    decoder.decode(packet.get(), [&](const QImage&) { ++pictures; });
    EXPECT_EQ(pictures, 1);
}

// With the program's setting of the C library, a picture-sized block made
// for each picture is a fresh mapping whose pages the system must clear:
// minor faults count them. The camera's pictures reuse the memory of those
// let go before them.
TEST(CameraDecoderTest, PicturesReuseTheMemoryOfThoseLetGoBeforeThem) {
    giveLargeBlocksBackWhenFreed();
    test::TempDir folder;
    const QSize size(1280, 720);
    for (const QString& format : {QStringLiteral("yuvj422p"), QStringLiteral("yuyv422")}) {
        SCOPED_TRACE(format.toStdString());
        const QString path = folder.file(format + QStringLiteral(".stream"));
        ASSERT_NO_FATAL_FAILURE(test::makeCameraStream(path, format, size));
        const InputContext input = openCameraStream(path);
        const AVStream* stream = firstVideoStream(input.get());
        CameraDecoder decoder(stream);
        std::vector<Packet> packets;
        for (Packet packet = makePacket(); av_read_frame(input.get(), packet.get()) >= 0; packet = makePacket())
            if (packet->stream_index == stream->index) packets.push_back(std::move(packet));
        ASSERT_EQ(packets.size(), 3u);
        int pictures = 0;
        const auto decodeAll = [&] {
            for (const Packet& packet : packets) decoder.decode(packet.get(), [&](const QImage&) { ++pictures; });
        };
        decodeAll();
        const long long before = test::minorFaults();
        for (int round = 0; round < 10; ++round) decodeAll();
        const long long faults = test::minorFaults() - before;
        ASSERT_EQ(pictures, 33);
        EXPECT_LT(double(faults) / 30, double(size.width()) * size.height() * 4 / 4096 / 8);
    }
}
