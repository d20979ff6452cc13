#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>

#include <optional>

// Reading the boxes of HEIF data before libheif does, a few bytes at a time.
namespace tavero::heif {

// A box type from its four letters.
inline constexpr quint32 typeOf(const char (&name)[5]) {
    return quint32(quint8(name[0])) << 24 | quint32(quint8(name[1])) << 16 | quint32(quint8(name[2])) << 8 |
           quint32(quint8(name[3]));
}

// A box: its type, where it starts, where its content starts and where it ends.
struct Box {
    quint32 type = 0;
    qint64 start = 0;
    qint64 content = 0;
    qint64 end = 0;
};

// The boxes of a table (item properties, their associations, the places of
// the items' data, the items a grid is made of) read whole, beyond what any
// picture needs: a phone's picture of 48 tiles has tables of a few hundred
// bytes.
inline constexpr qint64 maxTableBytes = qint64(1) << 20;

QByteArray readAt(QIODevice& device, qint64 at, qint64 size);

// The boxes one after the other from `start` to `end`, `most` of them at
// most; one that does not fit ends them.
QList<Box> boxesIn(QIODevice& device, qint64 start, qint64 end, int most);

// A full box's content: its version, then `size` bytes of fields.
QByteArray fieldsOf(QIODevice& device, const Box& box, qint64 size);

// The boxes of `type` in `parents` (boxes holding boxes only), `most` boxes
// of each read.
QList<Box> childrenOf(QIODevice& device, const QList<Box>& parents, quint32 type, int most);

QList<Box> ofType(const QList<Box>& boxes, quint32 type);

// The content of a box whole, when it is no larger than `most` bytes.
std::optional<QByteArray> wholeBox(QIODevice& device, const Box& box, qint64 most);

// Big-endian fields of 0, 2, 4 or 8 bytes read, or passed over, one after
// the other from `bytes`; reading past their end fails.
struct Fields {
    const QByteArray& bytes;
    qsizetype at = 0;
    bool failed = false;

    quint64 take(int size) {
        if (failed || size > bytes.size() - at) {
            failed = true;
            return 0;
        }
        quint64 value = 0;
        for (int byte = 0; byte < size; ++byte) value = value << 8 | quint8(bytes[at++]);
        return value;
    }

    void skip(qint64 size) {
        if (failed || size > bytes.size() - at)
            failed = true;
        else
            at += qsizetype(size);
    }
};

}  // namespace tavero::heif
