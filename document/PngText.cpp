#include "document/PngText.h"

#include <QList>

#include <algorithm>

namespace tavero::ImageOps {

namespace {

const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);
constexpr qint64 chunkHeader = 8;  // length, type
constexpr qint64 chunkFrame = 12;  // length, type, checksum
constexpr quint32 longestChunk = 0x7fffffff;

quint32 bigEndian(const QByteArray& bytes) {
    quint32 value = 0;
    for (int index = 0; index < 4; ++index) value = (value << 8) | static_cast<unsigned char>(bytes[index]);
    return value;
}

bool isText(const QByteArray& type) { return type == "tEXt" || type == "zTXt" || type == "iTXt"; }

struct Span {
    qint64 offset;  // from the start of the PNG
    qint64 size;
};

// The text chunks of the PNG at `start`, and the bytes they store. Stops at
// IEND or at the first chunk header that cannot be read; the decoder meets
// that damage itself.
QList<Span> textChunks(QIODevice& device, qint64 start, qint64& storedBytes) {
    QList<Span> texts;
    storedBytes = 0;
    qint64 offset = pngSignature.size();
    while (start + offset + chunkHeader <= device.size() && device.seek(start + offset)) {
        const QByteArray header = device.read(chunkHeader);
        if (header.size() < chunkHeader) break;
        const quint32 length = bigEndian(header);
        if (length > longestChunk) break;
        const QByteArray type = header.mid(4, 4);
        if (isText(type)) {
            texts.append({offset, chunkFrame + length});
            storedBytes += length;
        }
        if (type == "IEND") break;
        offset += chunkFrame + length;
    }
    return texts;
}

QByteArray without(const QByteArray& png, const QList<Span>& spans) {
    QByteArray kept;
    kept.reserve(png.size());
    qint64 from = 0;
    for (const Span& span : spans) {
        kept.append(png.mid(from, span.offset - from));
        from = std::min<qint64>(span.offset + span.size, png.size());
    }
    kept.append(png.mid(from));
    return kept;
}

}  // namespace

std::optional<QByteArray> pngWithoutExcessText(QIODevice& device) {
    if (device.peek(pngSignature.size()) != pngSignature) return std::nullopt;
    const qint64 start = device.pos();
    qint64 storedBytes = 0;
    const QList<Span> texts = textChunks(device, start, storedBytes);
    device.seek(start);
    if (storedBytes <= pngTextAllowance) return std::nullopt;
    return without(device.readAll(), texts);
}

}  // namespace tavero::ImageOps
