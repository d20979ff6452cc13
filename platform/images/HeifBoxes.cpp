#include "platform/images/HeifBoxes.h"
#include "platform/images/HeifBoxReading.h"
#include "platform/images/HeifCodedSizes.h"

#include <QHash>
#include <QList>
#include <QSet>
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

// An item information entry: the item it describes, and that item's type
// (0 before version 2, whose entries have none).
struct ItemEntry {
    quint64 item = 0;
    quint32 type = 0;
};

// None when the entry is cut short.
std::optional<ItemEntry> itemEntry(QIODevice& device, const Box& entry) {
    const QByteArray fields = fieldsOf(device, entry, 10);
    const int version = fields.isEmpty() ? 0 : quint8(fields.at(0));
    // After its version and flags, the item's number (of four bytes from
    // version 3 on, two before) and its protection.
    const int numberSize = version < 3 ? 2 : 4;
    if (fields.size() < 4 + numberSize) return std::nullopt;
    ItemEntry read{numberSize == 2 ? qFromBigEndian<quint16>(fields.constData() + 4)
                                   : qFromBigEndian<quint32>(fields.constData() + 4)};
    const int typeAt = 4 + numberSize + 2;
    if (version >= 2 && fields.size() >= typeAt + 4) read.type = qFromBigEndian<quint32>(fields.constData() + typeAt);
    return read;
}

// Adds the entries of the item information box to `outline`, and whether
// one of the first maxItems of them is coded in AV1; adds those items to
// `described`.
void addItems(QIODevice& device, const Box& infos, Outline& outline, QSet<quint64>& described) {
    const QByteArray fields = fieldsOf(device, infos, 4);
    if (fields.size() < 6) return;
    const bool shortCount = fields.at(0) == 0;
    if (!shortCount && fields.size() < 8) return;
    const qint64 count = shortCount ? qFromBigEndian<quint16>(fields.constData() + 4)
                                    : qint64(qFromBigEndian<quint32>(fields.constData() + 4));
    outline.items += count;
    const qint64 entries = infos.content + (shortCount ? 6 : 8);
    for (const Box& box : boxesIn(device, entries, infos.end, int(std::min(count, maxItems)))) {
        const std::optional<ItemEntry> entry = box.type == typeOf("infe") ? itemEntry(device, box) : std::nullopt;
        if (!entry) continue;
        described.insert(entry->item);
        if (entry->type == typeOf("av01")) outline.codedInAv1 = true;
    }
}

// The places items stand in, in derived pictures: all of them, and those of
// each of the items described.
struct TilePlaces {
    qint64 all = 0;
    QHash<quint64, qint64> ofItem;
};

// Adds the places that `references` refer to items in from derived pictures
// to `places`; false when the references hold more boxes than any picture
// needs.
bool addTilePlaces(QIODevice& device, const Box& references, const QSet<quint64>& described, TilePlaces& places) {
    const QByteArray version = fieldsOf(device, references, 0);
    if (version.isEmpty()) return true;
    const int idSize = version.at(0) == 0 ? 2 : 4;
    const QList<Box> boxes = boxesIn(device, references.content + 4, references.end, maxReferenceBoxes + 1);
    if (boxes.size() > maxReferenceBoxes) return false;
    for (const Box& box : boxes) {
        if (box.type != typeOf("dimg")) continue;
        // The item referring, how many it refers to, and those.
        const QByteArray bytes = readAt(device, box.content, std::min<qint64>(maxTableBytes, box.end - box.content));
        Fields fields{bytes, idSize};
        for (quint64 count = fields.take(2); count > 0 && !fields.failed; --count) {
            const quint64 item = fields.take(idSize);
            if (fields.failed) break;
            ++places.all;
            if (described.contains(item)) ++places.ofItem[item];
        }
    }
    return true;
}

// Adds the items, the tiles and, with `codedSizes`, the pixels of the coded
// streams that the boxes of the description declare to `outline`; false
// when its references hold more boxes than any picture needs.
bool addItemsAndTiles(QIODevice& device, const QList<Box>& described, CodedSizes codedSizes, Outline& outline) {
    QSet<quint64> items;
    for (const Box& box : ofType(described, typeOf("iinf"))) addItems(device, box, outline, items);
    TilePlaces places;
    for (const Box& box : ofType(described, typeOf("iref")))
        if (!addTilePlaces(device, box, items, places)) return false;
    outline.tiles = places.all;
    if (codedSizes == CodedSizes::measured) outline.codedPixels = codedPixels(device, described, items, places.ofItem);
    return true;
}

}  // namespace

int codedSideAllowance(int declared) {
    constexpr qint64 block = 64;
    return int(std::min<qint64>(INT_MAX, (declared + block - 1) / block * block + block));
}

std::optional<Outline> outline(QIODevice& device, CodedSizes codedSizes) {
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
    if (!addItemsAndTiles(device, described, codedSizes, outline)) return std::nullopt;
    return outline;
}

}  // namespace tavero::heif
