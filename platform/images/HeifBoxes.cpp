#include "platform/images/HeifBoxes.h"
#include "platform/images/HeifBoxReading.h"
#include "platform/images/HeifCodedSizes.h"

#include <QHash>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <climits>

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

// The type of the item an item information entry describes; none before
// version 2, whose entries have none.
quint32 itemType(QIODevice& device, const Box& entry) {
    const QByteArray fields = fieldsOf(device, entry, 10);
    const int version = fields.isEmpty() ? 0 : quint8(fields.at(0));
    if (version < 2) return 0;
    // After its version and flags, the item's number (of two bytes in
    // version 2, four after) and its protection.
    const int at = version == 2 ? 8 : 10;
    return fields.size() < at + 4 ? 0 : qFromBigEndian<quint32>(fields.constData() + at);
}

// Adds the entries of the item information box to `outline`, and whether
// one of the first maxItems of them is coded in AV1.
void addItems(QIODevice& device, const Box& infos, Outline& outline) {
    const QByteArray fields = fieldsOf(device, infos, 4);
    if (fields.size() < 6) return;
    const bool shortCount = fields.at(0) == 0;
    if (!shortCount && fields.size() < 8) return;
    const qint64 count = shortCount ? qFromBigEndian<quint16>(fields.constData() + 4)
                                    : qint64(qFromBigEndian<quint32>(fields.constData() + 4));
    outline.items += count;
    const qint64 entries = infos.content + (shortCount ? 6 : 8);
    for (const Box& entry : boxesIn(device, entries, infos.end, int(std::min(count, maxItems))))
        if (entry.type == typeOf("infe") && itemType(device, entry) == typeOf("av01")) outline.codedInAv1 = true;
}

// The places each item is referred to in from derived pictures; none when
// the references hold more boxes than any picture needs.
std::optional<QHash<quint64, qint64>> tilePlaces(QIODevice& device, const Box& references) {
    const QByteArray version = fieldsOf(device, references, 0);
    if (version.isEmpty()) return QHash<quint64, qint64>();
    const int idSize = version.at(0) == 0 ? 2 : 4;
    const QList<Box> boxes = boxesIn(device, references.content + 4, references.end, maxReferenceBoxes + 1);
    if (boxes.size() > maxReferenceBoxes) return std::nullopt;
    QHash<quint64, qint64> places;
    for (const Box& box : boxes) {
        if (box.type != typeOf("dimg")) continue;
        // The item referring, how many it refers to, and those.
        const QByteArray bytes = readAt(device, box.content, std::min<qint64>(maxTableBytes, box.end - box.content));
        Fields fields{bytes, idSize};
        for (quint64 count = fields.take(2); count > 0 && !fields.failed; --count) {
            const quint64 item = fields.take(idSize);
            if (!fields.failed) ++places[item];
        }
    }
    return places;
}

// Adds the items, the tiles and the pixels of the coded streams that the
// boxes of the description declare to `outline`; false when its references
// hold more boxes than any picture needs.
bool addItemsAndTiles(QIODevice& device, const QList<Box>& described, Outline& outline) {
    QHash<quint64, qint64> places;
    for (const Box& box : described) {
        if (box.type == typeOf("iinf")) addItems(device, box, outline);
        if (box.type != typeOf("iref")) continue;
        const std::optional<QHash<quint64, qint64>> referred = tilePlaces(device, box);
        if (!referred) return false;
        for (auto item = referred->constBegin(); item != referred->constEnd(); ++item) {
            places[item.key()] += item.value();
            outline.tiles += item.value();
        }
    }
    outline.codedPixels = codedPixels(device, described, places);
    return true;
}

}  // namespace

int codedSideAllowance(int declared) {
    constexpr qint64 block = 64;
    return int(std::min<qint64>(INT_MAX, (declared + block - 1) / block * block + block));
}

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
