#include "tests/support/CraftedHeif.h"

#include <QtEndian>

namespace tavero::fixtures {

namespace {

QByteArray big16(quint32 value) {
    QByteArray bytes(2, '\0');
    qToBigEndian(quint16(value), bytes.data());
    return bytes;
}

QByteArray big32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray box(const char* type, const QByteArray& content) {
    return big32(quint32(8 + content.size())) + QByteArray(type, 4) + content;
}

QByteArray fullBox(const char* type, quint32 flags, const QByteArray& content) {
    return box(type, big32(flags) + content);
}

// The whole box of `type` first found in `heic`.
QByteArray boxIn(const QByteArray& heic, const char* type) {
    const qsizetype at = heic.indexOf(QByteArray(type, 4)) - 4;
    return at < 0 ? QByteArray() : heic.mid(at, qFromBigEndian<quint32>(heic.constData() + at));
}

QByteArray sizeBox(QSize size) {
    return fullBox("ispe", 0, big32(quint32(size.width())) + big32(quint32(size.height())));
}

// The grid is item 1, the tiles' items 2 on; item i reads the coded data of
// tile i % tiles, which stands at `offsets`.
QByteArray description(int items, const QList<quint32>& offsets, const QList<QByteArray>& coded,
                       const QList<int>& places, const QByteArray& properties) {
    QByteArray infos = fullBox("infe", 2 << 24, big16(1) + big16(0) + QByteArray("grid", 5));
    // Four-byte offsets and lengths, one extent an item; the grid's data first.
    QByteArray locations = QByteArray("\x44\0", 2) + big16(quint32(1 + items)) + big16(1) + big16(0) + big16(1) +
                           big32(offsets.first() - 8) + big32(8);
    QByteArray associations = big32(quint32(1 + items)) + big16(1) + QByteArray("\x01\x03", 2);
    for (int item = 0; item < items; ++item) {
        const int tile = item % int(coded.size());
        const auto id = quint32(2 + item);
        infos += fullBox("infe", 2 << 24 | 1, big16(id) + big16(0) + QByteArray("hvc1", 5));
        locations += big16(id) + big16(0) + big16(1) + big32(offsets[tile]) + big32(quint32(coded[tile].size()));
        associations += big16(id) + QByteArray("\x02\x81\x02", 3);
    }
    QByteArray references = big16(1) + big16(quint32(places.size()));
    for (int item : places) references += big16(quint32(2 + item));
    return fullBox("meta", 0,
                   fullBox("hdlr", 0, big32(0) + QByteArray("pict") + QByteArray(13, '\0')) +
                       fullBox("pitm", 0, big16(1)) + fullBox("iinf", 0, big16(quint32(1 + items)) + infos) +
                       fullBox("iloc", 0, locations) + fullBox("iref", 0, box("dimg", references)) +
                       box("iprp", properties + fullBox("ipma", 0, associations)));
}

}  // namespace

QByteArray heicGrid(const QList<QByteArray>& tiles, int columns, int rows, QSize size, TileReuse reuse) {
    // What our encoder writes of a picture: its decoder setup, its size, and
    // its coded stream filling the media data box.
    QList<QByteArray> coded;
    for (const QByteArray& heic : tiles) coded.append(boxIn(heic, "mdat").mid(8));
    const QByteArray properties = box("ipco", boxIn(tiles.first(), "hvcC") + boxIn(tiles.first(), "ispe") + sizeBox(size));

    const int placeCount = columns * rows;
    const int items = reuse == TileReuse::sameItem ? int(coded.size()) : placeCount;
    QList<int> places;
    for (int place = 0; place < placeCount; ++place) places.append(place % items);
    QByteArray data = QByteArray(2, '\0') + QByteArray(1, char(rows - 1)) + QByteArray(1, char(columns - 1)) +
                      big16(quint32(size.width())) + big16(quint32(size.height()));
    QList<quint32> offsets;
    for (const QByteArray& stream : coded) {
        offsets.append(quint32(data.size()));
        data += stream;
    }

    const QByteArray fileType = box("ftyp", QByteArray("heic") + big32(0) + QByteArray("mif1heic"));
    const quint32 dataStart = quint32(fileType.size() + description(items, offsets, coded, places, properties).size() + 8);
    for (quint32& offset : offsets) offset += dataStart;
    return fileType + description(items, offsets, coded, places, properties) + box("mdat", data);
}

}  // namespace tavero::fixtures
