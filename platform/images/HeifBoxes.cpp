#include "platform/images/HeifBoxes.h"

#include <QList>
#include <QtEndian>

#include <algorithm>

namespace tavero::heif {

namespace {

// Boxes in the description, and reference boxes in its references, beyond
// what any picture needs: a picture's description holds a dozen boxes, and a
// reference box for each item that refers to others. Its bytes, with the
// file type's, beyond what any picture needs: a colour profile is the largest
// box in it, of a few kilobytes.
constexpr int maxDescriptionBoxes = 256;
constexpr int maxReferenceBoxes = 4096;
constexpr qint64 maxDescriptionBytes = qint64(16) << 20;

constexpr quint32 typeOf(const char (&name)[5]) {
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

QByteArray readAt(QIODevice& device, qint64 at, qint64 size) {
    if (!device.seek(at)) return {};
    return device.read(size);
}

// The box whose header starts at `at`, in a parent that ends at `end`; none
// when it does not fit there.
std::optional<Box> boxAt(QIODevice& device, qint64 at, qint64 end) {
    const QByteArray header = readAt(device, at, std::min<qint64>(16, end - at));
    if (header.size() < 8) return std::nullopt;
    Box box{qFromBigEndian<quint32>(header.constData() + 4), at, at + 8, 0};
    quint64 size = qFromBigEndian<quint32>(header.constData());
    if (size == 1) {
        if (header.size() < 16) return std::nullopt;
        size = qFromBigEndian<quint64>(header.constData() + 8);
        box.content = at + 16;
    } else if (size == 0) {
        size = quint64(end - at);  // to the end of its parent
    }
    if (size < quint64(box.content - at) || size > quint64(end - at)) return std::nullopt;
    box.end = at + qint64(size);
    return box;
}

// The boxes one after the other from `start` to `end`, `most` of them at
// most; one that does not fit ends them.
QList<Box> boxesIn(QIODevice& device, qint64 start, qint64 end, int most) {
    QList<Box> boxes;
    for (qint64 at = start; boxes.size() < most;) {
        const std::optional<Box> box = boxAt(device, at, end);
        if (!box) break;
        boxes.append(*box);
        at = box->end;
    }
    return boxes;
}

// A full box's content: its version, then `size` bytes of fields.
QByteArray fieldsOf(QIODevice& device, const Box& box, qint64 size) {
    return readAt(device, box.content, std::min(4 + size, box.end - box.content));
}

// The entries of the item information box.
qint64 itemCount(QIODevice& device, const Box& infos) {
    const QByteArray fields = fieldsOf(device, infos, 4);
    if (fields.size() < 6) return 0;
    if (fields.at(0) == 0) return qFromBigEndian<quint16>(fields.constData() + 4);
    return fields.size() < 8 ? 0 : qint64(qFromBigEndian<quint32>(fields.constData() + 4));
}

// The places pictures are referred to from derived pictures; none when the
// references hold more boxes than any picture needs.
std::optional<qint64> tileCount(QIODevice& device, const Box& references) {
    const QByteArray version = fieldsOf(device, references, 0);
    if (version.isEmpty()) return 0;
    const qint64 idSize = version.at(0) == 0 ? 2 : 4;
    const QList<Box> boxes = boxesIn(device, references.content + 4, references.end, maxReferenceBoxes + 1);
    if (boxes.size() > maxReferenceBoxes) return std::nullopt;
    qint64 tiles = 0;
    for (const Box& box : boxes) {
        if (box.type != typeOf("dimg")) continue;
        // The item referring, then how many it refers to.
        const QByteArray fields = readAt(device, box.content, std::min(idSize + 2, box.end - box.content));
        if (fields.size() == idSize + 2) tiles += qFromBigEndian<quint16>(fields.constData() + idSize);
    }
    return tiles;
}

// Adds the items and the tiles that the boxes of the description declare to
// `outline`; false when its references hold more boxes than any picture needs.
bool addItemsAndTiles(QIODevice& device, const QList<Box>& described, Outline& outline) {
    for (const Box& box : described) {
        if (box.type == typeOf("iinf")) outline.items += itemCount(device, box);
        if (box.type != typeOf("iref")) continue;
        const std::optional<qint64> tiles = tileCount(device, box);
        if (!tiles) return false;
        outline.tiles += *tiles;
    }
    return true;
}

}  // namespace

std::optional<Outline> outline(QIODevice& device) {
    if (device.isSequential()) return std::nullopt;
    const QList<Box> top = boxesIn(device, 0, device.size(), maxTopLevelBoxes);
    const auto first = [&](quint32 type) {
        return std::find_if(top.begin(), top.end(), [type](const Box& box) { return box.type == type; });
    };
    const auto fileType = first(typeOf("ftyp")), meta = first(typeOf("meta"));
    if (fileType == top.end() || meta == top.end()) return std::nullopt;
    if (fileType->end - fileType->start + meta->end - meta->start > maxDescriptionBytes) return std::nullopt;
    const QList<Box> described = boxesIn(device, meta->content + 4, meta->end, maxDescriptionBoxes + 1);
    if (described.size() > maxDescriptionBoxes) return std::nullopt;

    Outline outline{top.last().end, {}};
    for (auto box = top.begin(); box != top.end(); ++box)
        if (box != fileType && box != meta) outline.paddingTypes.append(box->start + 4);
    if (!addItemsAndTiles(device, described, outline)) return std::nullopt;
    return outline;
}

}  // namespace tavero::heif
