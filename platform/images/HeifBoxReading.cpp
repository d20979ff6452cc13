#include "platform/images/HeifBoxReading.h"

#include <QtEndian>

#include <algorithm>
#include <iterator>

namespace tavero::heif {

namespace {

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

}  // namespace

QByteArray readAt(QIODevice& device, qint64 at, qint64 size) {
    if (!device.seek(at)) return {};
    return device.read(size);
}

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

QByteArray fieldsOf(QIODevice& device, const Box& box, qint64 size) {
    return readAt(device, box.content, std::min(4 + size, box.end - box.content));
}

QList<Box> childrenOf(QIODevice& device, const QList<Box>& parents, quint32 type, int most) {
    QList<Box> children;
    for (const Box& parent : parents)
        for (const Box& child : boxesIn(device, parent.content, parent.end, most))
            if (child.type == type) children.append(child);
    return children;
}

QList<Box> ofType(const QList<Box>& boxes, quint32 type) {
    QList<Box> found;
    std::copy_if(boxes.begin(), boxes.end(), std::back_inserter(found), [type](const Box& box) { return box.type == type; });
    return found;
}

std::optional<QByteArray> wholeBox(QIODevice& device, const Box& box, qint64 most) {
    if (box.end - box.content > most) return std::nullopt;
    QByteArray bytes = readAt(device, box.content, box.end - box.content);
    if (bytes.size() != box.end - box.content) return std::nullopt;
    return bytes;
}

}  // namespace tavero::heif
