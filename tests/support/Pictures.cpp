#include "tests/support/Pictures.h"

#include "platform/Fonts.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtEndian>

namespace tavero::fixtures {

QImage screenshotLike(int width, int height) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    image.fill(QColor(246, 247, 245));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int sidebar = width / 6;
    painter.fillRect(0, 0, sidebar, height, QColor(232, 236, 234));
    painter.fillRect(0, 0, width, 48, QColor(255, 255, 255));
    QRandomGenerator random(7);
    const int line = 34;
    painter.setFont(Fonts::system(18, FontWeight::regular));
    const QString samples[] = {
        QStringLiteral("会议纪要：下周三发布新版本，请检查截图标注功能。"),
        QStringLiteral("The quick brown fox jumps over the lazy dog 1234567890"),
        QStringLiteral("设置 › 通用 › 快捷键 Ctrl+Shift+2 截取区域"),
        QStringLiteral("Build #4821 passed in 3m 12s — 1,024 tests, 0 failures"),
    };
    for (int y = 80, row = 0; y < height - line; y += line, ++row) {
        painter.setPen(QColor(40, 44, 48));
        painter.drawText(sidebar + 32, y, samples[row % 4]);
        painter.setPen(QColor(90, 96, 100));
        painter.drawText(16, y, QStringLiteral("项目 %1").arg(row));
        if (row % 7 == 3)
            painter.fillRect(sidebar + 32, y + 6, int(random.bounded(200, 600)), 18, QColor(5, 145, 125, 60));
    }
    for (int i = 0; i < 12; ++i) {
        const QColor color = QColor::fromHsv(int(random.bounded(360)), 160, 220);
        painter.setBrush(color);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(sidebar + 40 + i * 60, 24), 12, 12);
    }
    return image;
}

QImage textPage(int width, int height) {
    QImage page(width, height, QImage::Format_RGBA8888_Premultiplied);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setFont(Fonts::system(25));
    painter.setPen(QColor(85, 85, 85));
    constexpr int lineHeight = 55;
    for (int number = 1, top = 18; top < height; ++number, top += lineHeight) {
        const int left = 70 + 22 * ((number - 1) % 3);
        const QString line = QStringLiteral("第 %1 行 · 页面中的文字应当清晰、连续。").arg(number) +
                             QStringLiteral("内容").repeated((number - 1) % 7);
        painter.drawText(QRectF(left, top, width - left, lineHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         line);
    }
    return page;
}

QImage solid(QSize size, const QColor& colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage noise(int width, int height, quint32 seed) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) row[x] = random.generate() | 0xff000000u;  // opaque
    }
    return image;
}

namespace {

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xffffffffu;
    for (char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray littleEndian(quint32 value, int bytes) {
    QByteArray result;
    for (int index = 0; index < bytes; ++index) result.append(char((value >> (8 * index)) & 0xff));
    return result;
}

QByteArray chunk(const QByteArray& type, const QByteArray& data) {
    const QByteArray typed = type + data;
    return bigEndian(quint32(data.size())) + typed + bigEndian(crc32(typed));
}

// 8-bit RGBA (6) or greyscale (0).
QByteArray pngHeader(quint32 width, quint32 height, char colourType) {
    const QByteArray fields = bigEndian(width) + bigEndian(height) + QByteArray(1, 8) + QByteArray(1, colourType) +
                              QByteArray(3, '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", fields);
}

// A zlib stream of `data` (qCompress puts the length in front).
QByteArray zlib(const QByteArray& data) { return qCompress(data).mid(4); }

constexpr qsizetype pngHeaderSize = 8 + 12 + 13;

}  // namespace

QByteArray pngHeaderOnly(quint32 width, quint32 height) { return pngHeader(width, height, 6); }

QByteArray pngWithoutPixels(quint32 width, quint32 height) {
    return pngHeaderOnly(width, height) + chunk("IDAT", {}) + chunk("IEND", {});
}

QByteArray blackPng(quint32 width, quint32 height) {
    // Each row: filter type 0, then one byte a pixel.
    const QByteArray rows(qsizetype(height) * (qsizetype(width) + 1), '\0');
    return pngHeader(width, height, 0) + chunk("IDAT", zlib(rows)) + chunk("IEND", {});
}

QByteArray withTextChunks(const QByteArray& png, int count, int unpackedBytes) {
    // Keyword, its end, compression method 0, the compressed text.
    const QByteArray text = chunk("zTXt", QByteArray("Comment\0\0", 9) + zlib(QByteArray(unpackedBytes, 'a')));
    QByteArray result = png.left(pngHeaderSize);
    for (int index = 0; index < count; ++index) result += text;
    return result + png.mid(pngHeaderSize);
}

QByteArray withSizeBox(QByteArray heic, QSize size) {
    const qsizetype box = heic.indexOf("ispe");
    if (box < 0) return heic;
    // The box type, its version and flags, then the width and the height.
    qToBigEndian(quint32(size.width()), heic.data() + box + 8);
    qToBigEndian(quint32(size.height()), heic.data() + box + 12);
    return heic;
}

QByteArray withCodedLength(QByteArray heic, quint32 length) {
    // The stream fills the media data box, the last: in the item locations,
    // its length follows its place.
    const qsizetype stream = heic.indexOf("mdat") + 4;
    const qsizetype place = heic.indexOf(bigEndian(quint32(stream)), heic.indexOf("iloc"));
    const qsizetype extent = heic.indexOf(bigEndian(quint32(heic.size() - stream)), place);
    if (stream < 4 || place < 0 || extent < 0) return heic;
    qToBigEndian(length, heic.data() + extent);
    return heic;
}

QByteArray iconAround(const QByteArray& png) {
    constexpr quint32 directorySize = 6 + 16;
    // Reserved, type 1 (icon), one entry; then the entry: 0 × 0 means 256 ×
    // 256, no palette, one plane, 32 bits, the size and place of the data.
    const QByteArray directory = littleEndian(0, 2) + littleEndian(1, 2) + littleEndian(1, 2) + QByteArray(4, '\0') +
                                 littleEndian(1, 2) + littleEndian(32, 2) + littleEndian(quint32(png.size()), 4) +
                                 littleEndian(directorySize, 4);
    return directory + png;
}

}  // namespace tavero::fixtures
