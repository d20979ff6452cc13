#include "platform/images/HeifCodedSizes.h"
#include "platform/images/HeifBoxes.h"
#include "platform/images/HevcParameters.h"

#include <QBitArray>
#include <QSize>
#include <QtEndian>
#include <QtNumeric>

#include <algorithm>
#include <climits>
#include <utility>

namespace tavero::heif {

namespace {

// The item properties beyond what any picture needs: a phone's picture of
// 48 tiles has a dozen. A decoder setup holds three parameter sets of some
// dozens of bytes.
constexpr int maxProperties = 4096;
constexpr qint64 maxSetupBytes = qint64(64) << 10;
// The pieces of one item's coded data, and the units of coded data of all
// items, beyond what any picture needs: an item is one piece, of a slice or
// a few.
constexpr int maxExtents = 256;
constexpr int maxCodedUnits = 8192;

// The largest of the picture sizes that parameter sets state, side by side:
// all that holding them to a declared size needs, however many there are.
struct StatedSizes {
    int width = 0;
    int height = 0;
    qint64 pixels = 0;

    void add(QSize size) {
        width = std::max(width, size.width());
        height = std::max(height, size.height());
        pixels = std::max(pixels, qint64(size.width()) * size.height());
    }

    void add(const StatedSizes& other) {
        width = std::max(width, other.width);
        height = std::max(height, other.height);
        pixels = std::max(pixels, other.pixels);
    }
};

// Where an item's data stands: pieces of the file, or of the description's
// own data, one after the other.
struct Location {
    bool inDescription = false;
    QList<std::pair<qint64, qint64>> extents;  // offset, length

    bool operator==(const Location&) const = default;
};

size_t qHash(const Location& location, size_t seed = 0) {
    return qHashMulti(seed, location.inDescription, location.extents);
}

// The places of the data of `items`; none when the table is larger than any
// picture needs, or places an item's data in pieces libheif does not read.
// Of an item listed more than once, libheif reads the first entry alone.
std::optional<QHash<quint64, Location>> itemLocations(QIODevice& device, const QList<Box>& tables,
                                                      const QSet<quint64>& items) {
    QHash<quint64, Location> locations;
    for (const Box& box : tables) {
        const std::optional<QByteArray> bytes = wholeBox(device, box, maxTableBytes);
        if (!bytes) return std::nullopt;
        Fields fields{*bytes};
        const quint64 version = fields.take(1);
        fields.take(3);
        const quint64 sizes = fields.take(2);
        const int offsetSize = int(sizes >> 12), lengthSize = int(sizes >> 8 & 15), baseSize = int(sizes >> 4 & 15);
        const int indexSize = version == 0 ? 0 : int(sizes & 15);
        for (quint64 entries = fields.take(version < 2 ? 2 : 4); entries > 0 && !fields.failed; --entries) {
            const quint64 item = fields.take(version < 2 ? 2 : 4);
            const quint64 method = version == 0 ? 0 : fields.take(2) & 15;
            fields.take(2);  // the file it is in: this one
            const quint64 base = fields.take(baseSize);
            const quint64 extents = fields.take(2);
            if (method > 1 || extents > quint64(maxExtents)) return std::nullopt;
            if (!items.contains(item) || locations.contains(item)) {
                fields.skip(qint64(extents) * (indexSize + offsetSize + lengthSize));
                continue;
            }
            Location& location = locations[item];
            location.inDescription = method == 1;
            for (quint64 extent = 0; extent < extents; ++extent) {
                fields.take(indexSize);
                const quint64 offset = base + fields.take(offsetSize);
                location.extents.append({qint64(std::min<quint64>(offset, INT64_MAX)),
                                         qint64(std::min<quint64>(fields.take(lengthSize), INT64_MAX))});
            }
        }
        if (fields.failed) return std::nullopt;
    }
    return locations;
}

// Adds the picture size that `unit` states to `stated` when it is a sequence
// parameter set; false when it does not hold it.
bool addStatedSize(const QByteArray& unit, StatedSizes& stated) {
    if (unitType(unit) != sequenceParametersType) return true;
    const std::optional<QSize> size = sequencePictureSize(unit.left(sequenceSizeBytes));
    if (size) stated.add(*size);
    return size.has_value();
}

// The picture sizes the parameter sets of the decoder setup `setup` state:
// after its fixed fields, arrays of units, each unit after its length. None
// when the setup is larger than any needs or a set does not hold its size.
std::optional<StatedSizes> sizesInSetup(QIODevice& device, const Box& setup) {
    constexpr int fixedFields = 22;
    const std::optional<QByteArray> bytes = wholeBox(device, setup, maxSetupBytes);
    if (!bytes) return std::nullopt;
    Fields fields{*bytes, fixedFields};
    StatedSizes stated;
    for (quint64 arrays = fields.take(1); arrays > 0 && !fields.failed; --arrays) {
        fields.take(1);  // the type of its units, which each unit's own header says again
        for (quint64 units = fields.take(2); units > 0 && !fields.failed; --units) {
            const auto length = qsizetype(fields.take(2));
            if (!addStatedSize(bytes->mid(fields.at, length), stated)) return std::nullopt;
            fields.at = std::min(fields.at + length, bytes->size());
        }
    }
    return stated;
}

// An item's data: the pieces of the file it is made of, one after the other.
class ItemData {
public:
    ItemData(QIODevice& device, const Location& location, qint64 descriptionData) : device_(device) {
        for (auto [offset, length] : location.extents) {
            if (location.inDescription) offset = std::min(offset, device.size()) + descriptionData;
            offset = std::min(offset, device.size());
            // A length of 0 runs to the end of the file.
            length = length == 0 ? device.size() - offset : std::min(length, device.size() - offset);
            extents_.append({offset, length});
            size_ += length;
        }
    }

    qint64 size() const { return size_; }

    QByteArray read(qint64 at, qint64 size) const {
        QByteArray bytes;
        for (const auto& [offset, length] : extents_) {
            if (at >= length) {
                at -= length;
                continue;
            }
            const QByteArray part = readAt(device_, offset + at, std::min(size - bytes.size(), length - at));
            bytes += part;
            if (part.isEmpty() || bytes.size() == size) break;
            at = 0;
        }
        return bytes;
    }

private:
    QIODevice& device_;
    QList<std::pair<qint64, qint64>> extents_;
    qint64 size_ = 0;
};

// Adds the picture sizes that parameter sets in an item's coded data state
// to `stated`: libheif hands the decoder each unit in it after its four-byte
// length. False when a set does not hold its size, or the data holds more
// units than `unitsLeft`, which it lessens.
bool addSizesInData(const ItemData& data, int& unitsLeft, StatedSizes& stated) {
    constexpr int lengthSize = 4;
    for (qint64 at = 0; data.size() - at > lengthSize;) {
        if (--unitsLeft < 0) return false;
        const QByteArray head = data.read(at, lengthSize + 2);
        if (head.size() < lengthSize + 2) return true;
        const qint64 length = qFromBigEndian<quint32>(head.constData());
        at += lengthSize;
        if (length >= 2 && unitType(head.mid(lengthSize)) == sequenceParametersType &&
            !addStatedSize(data.read(at, std::min(length, sequenceSizeBytes)), stated))
            return false;
        at += length;
    }
    return true;
}

// The size a size box declares; none when it is cut short.
std::optional<QSize> declaredSize(QIODevice& device, const Box& sizeBox) {
    const QByteArray fields = fieldsOf(device, sizeBox, 8);
    if (fields.size() < 12) return std::nullopt;
    const auto side = [&](int at) { return int(std::min<quint32>(qFromBigEndian<quint32>(fields.constData() + at), INT_MAX)); };
    return QSize(side(4), side(8));
}

// What the description says of an HEVC-coded item: the size it declares
// (the smallest, when it declares several) and the sizes its parameter sets
// state, in its decoder setups and in its coded data.
struct CodedItem {
    std::optional<QSize> declared;
    StatedSizes stated;
    bool coded = false;
    // The places of the properties it names, each taken once.
    QBitArray named;
};

// The tables of the description that say what each item is made of.
struct ItemTables {
    QList<Box> properties;
    QList<Box> associations;
    QHash<quint64, Location> locations;
    qint64 descriptionData = 0;
};

std::optional<ItemTables> itemTables(QIODevice& device, const QList<Box>& described, const QSet<quint64>& items) {
    const QList<Box> propertyBoxes = ofType(described, typeOf("iprp"));
    const QList<Box> containers = childrenOf(device, propertyBoxes, typeOf("ipco"), maxProperties);
    ItemTables tables;
    if (!containers.isEmpty())
        tables.properties = boxesIn(device, containers.first().content, containers.first().end, maxProperties + 1);
    tables.associations = childrenOf(device, propertyBoxes, typeOf("ipma"), maxProperties);
    const auto locations = itemLocations(device, ofType(described, typeOf("iloc")), items);
    if (tables.properties.size() > maxProperties || !locations) return std::nullopt;
    tables.locations = *locations;
    const QList<Box> data = ofType(described, typeOf("idat"));
    tables.descriptionData = data.isEmpty() ? device.size() : data.first().content;
    return tables;
}

// Reads the sizes that items declare and that their parameter sets state,
// each property and each item's data once: the tiles of a grid may share
// them, and an item may name a property any number of times. Fails once the
// data read holds more than maxCodedUnits units.
class ItemSizes {
public:
    ItemSizes(QIODevice& device, qint64 descriptionData) : device_(device), descriptionData_(descriptionData) {}

    std::optional<QSize> declared(int index, const Box& sizeBox) {
        const auto known = declared_.constFind(index);
        return known != declared_.constEnd() ? *known : *declared_.insert(index, declaredSize(device_, sizeBox));
    }

    std::optional<StatedSizes> inSetup(int index, const Box& setup) {
        const auto known = setups_.constFind(index);
        return known != setups_.constEnd() ? *known : *setups_.insert(index, sizesInSetup(device_, setup));
    }

    std::optional<StatedSizes> inData(const Location& location) {
        const auto known = data_.constFind(location);
        if (known != data_.constEnd()) return *known;
        StatedSizes stated;
        const bool read = addSizesInData(ItemData(device_, location, descriptionData_), unitsLeft_, stated);
        return *data_.insert(location, read ? std::optional(stated) : std::nullopt);
    }

private:
    QIODevice& device_;
    qint64 descriptionData_ = 0;
    QHash<int, std::optional<QSize>> declared_;
    QHash<int, std::optional<StatedSizes>> setups_;
    QHash<Location, std::optional<StatedSizes>> data_;
    int unitsLeft_ = maxCodedUnits;
};

// Adds what the property at `index` (from 1 on) says of an item to `item`,
// once; false when it is a decoder setup one of whose parameter sets does not
// hold its size.
bool addProperty(const ItemTables& tables, int index, ItemSizes& sizes, CodedItem& item) {
    if (index < 1 || index > tables.properties.size() || item.named.testBit(index)) return true;
    item.named.setBit(index);
    const Box& property = tables.properties[index - 1];
    if (property.type == typeOf("ispe")) {
        const std::optional<QSize> size = sizes.declared(index, property);
        if (size) item.declared = item.declared ? item.declared->boundedTo(*size) : *size;
    }
    if (property.type != typeOf("hvcC")) return true;
    const std::optional<StatedSizes> stated = sizes.inSetup(index, property);
    if (!stated) return false;
    item.stated.add(*stated);
    item.coded = true;
    return true;
}

// What the associations of properties say of `items`, from their decoder
// setups; none when the associations are larger than any picture needs, or
// a parameter set does not hold its size. Entries of other items, which
// libheif decodes none of, are passed over.
std::optional<QHash<quint64, CodedItem>> codedItems(QIODevice& device, const ItemTables& tables,
                                                    const QSet<quint64>& items, ItemSizes& sizes) {
    QHash<quint64, CodedItem> coded;
    for (const Box& box : tables.associations) {
        const std::optional<QByteArray> bytes = wholeBox(device, box, maxTableBytes);
        if (!bytes) return std::nullopt;
        Fields fields{*bytes};
        const quint64 version = fields.take(1), flags = fields.take(3);
        // Each association is a property's place, after a bit that says
        // whether the property must be understood.
        const int placeSize = (flags & 1) != 0 ? 2 : 1;
        const quint64 place = (flags & 1) != 0 ? 0x7fff : 0x7f;
        for (quint64 entries = fields.take(4); entries > 0 && !fields.failed; --entries) {
            const quint64 item = fields.take(version < 1 ? 2 : 4);
            const quint64 count = fields.take(1);
            if (!items.contains(item)) {
                fields.skip(qint64(count) * placeSize);
                continue;
            }
            CodedItem& ofItem = coded[item];
            ofItem.named.resize(tables.properties.size() + 1);
            for (quint64 left = count; left > 0 && !fields.failed; --left)
                if (!addProperty(tables, int(fields.take(placeSize) & place), sizes, ofItem)) return std::nullopt;
        }
    }
    return coded;
}

// The pixels the parameter sets of `item` state, at most; none when one
// states more than the blocks of the size the item declares, or it declares
// none.
std::optional<qint64> statedPixels(const CodedItem& item) {
    if (!item.declared) return std::nullopt;
    if (item.stated.width > codedSideAllowance(item.declared->width()) ||
        item.stated.height > codedSideAllowance(item.declared->height()))
        return std::nullopt;
    return item.stated.pixels;
}

std::optional<qint64> pixelsOfItems(QIODevice& device, const ItemTables& tables, const QSet<quint64>& items,
                                    const QHash<quint64, qint64>& places) {
    ItemSizes sizes(device, tables.descriptionData);
    std::optional<QHash<quint64, CodedItem>> coded = codedItems(device, tables, items, sizes);
    if (!coded) return std::nullopt;
    qint64 total = 0;
    for (auto item = coded->begin(); item != coded->end(); ++item) {
        if (!item->coded) continue;
        const auto location = tables.locations.constFind(item.key());
        if (location != tables.locations.constEnd()) {
            const std::optional<StatedSizes> inData = sizes.inData(*location);
            if (!inData) return std::nullopt;
            item->stated.add(*inData);
        }
        const std::optional<qint64> pixels = statedPixels(*item);
        qint64 counted = 0;
        if (!pixels || qMulOverflow(*pixels, std::max<qint64>(1, places.value(item.key())), &counted) ||
            qAddOverflow(total, counted, &total))
            return std::nullopt;
    }
    return total;
}

}  // namespace

std::optional<qint64> codedPixels(QIODevice& device, const QList<Box>& described, const QSet<quint64>& items,
                                  const QHash<quint64, qint64>& places) {
    const std::optional<ItemTables> tables = itemTables(device, described, items);
    return tables ? pixelsOfItems(device, *tables, items, places) : std::nullopt;
}

}  // namespace tavero::heif
