#include "tests/support/CraftedMatroska.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <cstring>

namespace tavero::test {

namespace {

// Element IDs.
namespace id {

constexpr quint32 ebmlHeader = 0x1A45DFA3, ebmlVersion = 0x4286, ebmlReadVersion = 0x42F7, maxIdLength = 0x42F2,
                  maxSizeLength = 0x42F3, docType = 0x4282, docTypeVersion = 0x4287, docTypeReadVersion = 0x4285;
constexpr quint32 segment = 0x18538067, info = 0x1549A966, timestampScale = 0x2AD7B1, duration = 0x4489,
                  muxingApp = 0x4D80, writingApp = 0x5741;
constexpr quint32 tracks = 0x1654AE6B, trackEntry = 0xAE, trackNumber = 0xD7, trackUid = 0x73C5, trackType = 0x83,
                  codecId = 0x86, codecPrivate = 0x63A2, defaultDuration = 0x23E383, video = 0xE0, pixelWidth = 0xB0,
                  pixelHeight = 0xBA;
constexpr quint32 cluster = 0x1F43B675, clusterTimestamp = 0xE7, simpleBlock = 0xA3;

}  // namespace id

constexpr int pictures = 10;
constexpr int millisecondsApart = 100;

QByteArray bigEndian(quint64 value, int bytes) {
    QByteArray out(bytes, '\0');
    for (int at = bytes - 1; at >= 0; --at, value >>= 8) out[at] = char(value & 0xff);
    return out;
}

int lengthOf(quint32 identifier) {
    return identifier > 0xFFFFFF ? 4 : identifier > 0xFFFF ? 3 : identifier > 0xFF ? 2 : 1;
}

QByteArray jpeg() {
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(40, 120, 200));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "JPG")) ADD_FAILURE() << "no JPEG of the picture";
    return jpeg;
}

QByteArray track(const QByteArray& privateData) {
    QByteArray entry = ebml::number(id::trackNumber, 1) + ebml::number(id::trackUid, 1) +
                       ebml::number(id::trackType, 1) + ebml::element(id::codecId, "V_MJPEG") +
                       ebml::number(id::defaultDuration, quint64(millisecondsApart) * 1'000'000) +
                       ebml::element(id::video, ebml::number(id::pixelWidth, 64) + ebml::number(id::pixelHeight, 48));
    if (!privateData.isEmpty()) entry += ebml::element(id::codecPrivate, privateData);
    return ebml::element(id::tracks, ebml::element(id::trackEntry, entry));
}

// Every picture a keyframe of track 1, at its time within the cluster.
QByteArray cluster() {
    const QByteArray picture = jpeg();
    QByteArray content = ebml::number(id::clusterTimestamp, 0);
    for (int index = 0; index < pictures; ++index)
        content += ebml::element(id::simpleBlock, QByteArray(1, char(0x81)) +
                                                      bigEndian(quint64(index * millisecondsApart), 2) +
                                                      QByteArray(1, char(0x80)) + picture);
    return ebml::element(id::cluster, content);
}

}  // namespace

namespace ebml {

// Sizes take eight bytes: 0x01 and seven of the number.
QByteArray element(quint32 identifier, const QByteArray& content) {
    return bigEndian(identifier, lengthOf(identifier)) + char(0x01) + bigEndian(quint64(content.size()), 7) + content;
}

QByteArray number(quint32 identifier, quint64 value) { return element(identifier, bigEndian(value, 8)); }

QByteArray decimal(quint32 identifier, double value) {
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return element(identifier, bigEndian(bits, 8));
}

}  // namespace ebml

QByteArray matroskaCluster(quint64 milliseconds, int track, const QByteArray& payload) {
    const QByteArray block = QByteArray(1, char(0x80 | track)) + bigEndian(0, 2) + QByteArray(1, char(0x80)) + payload;
    return ebml::element(id::cluster,
                         ebml::number(id::clusterTimestamp, milliseconds) + ebml::element(id::simpleBlock, block));
}

QByteArray CraftedMatroska::bytes() const {
    const QByteArray header =
        ebml::element(id::ebmlHeader, ebml::number(id::ebmlVersion, 1) + ebml::number(id::ebmlReadVersion, 1) +
                                          ebml::number(id::maxIdLength, 4) + ebml::number(id::maxSizeLength, 8) +
                                          ebml::element(id::docType, docType) + ebml::number(id::docTypeVersion, 4) +
                                          ebml::number(id::docTypeReadVersion, 2));
    const QByteArray segmentInfo = ebml::element(
        id::info,
        ebml::number(id::timestampScale, 1'000'000) + ebml::decimal(id::duration, pictures * millisecondsApart) +
            ebml::element(id::muxingApp, "tavero-test") + ebml::element(id::writingApp, "tavero-test") + info);
    return header + ebml::element(id::segment, segmentInfo + track(codecPrivate) + more + cluster());
}

}  // namespace tavero::test
