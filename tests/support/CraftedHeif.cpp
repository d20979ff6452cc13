#include "tests/support/CraftedHeif.h"
#include "platform/images/HevcParameters.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
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

// A picture's decoder setup as its encoder wrote it: HEVC's, or AV1's.
QByteArray setupOf(const QByteArray& heif) {
    const QByteArray hevc = boxIn(heif, "hvcC");
    return hevc.isEmpty() ? boxIn(heif, "av1C") : hevc;
}

const QByteArray fileType = box("ftyp", QByteArray("heic") + big32(0) + QByteArray("mif1heic"));

// The description's first boxes: a picture, whose primary item is item 1.
QByteArray handlerAndPrimary() {
    return fullBox("hdlr", 0, big32(0) + QByteArray("pict") + QByteArray(13, '\0')) + fullBox("pitm", 0, big16(1));
}

QByteArray sizeBox(QSize size) {
    return fullBox("ispe", 0, big32(quint32(size.width())) + big32(quint32(size.height())));
}

// The grid is item 1, the tiles' items 2 on; item i reads the coded data of
// tile i % tiles, which stands at `offsets`, coded as `tileType` says. Its
// properties are the first decoder setup, the tiles' size and the grid's,
// then with `setups` per item the decoder setup of each item.
QByteArray description(int items, const QList<quint32>& offsets, const QList<QByteArray>& coded,
                       const QList<int>& places, const QByteArray& properties, TileSetups setups,
                       const QByteArray& tileType) {
    QByteArray infos = fullBox("infe", 2 << 24, big16(1) + big16(0) + QByteArray("grid", 5));
    // Four-byte offsets and lengths, one extent an item; the grid's data first.
    QByteArray locations = QByteArray("\x44\0", 2) + big16(quint32(1 + items)) + big16(1) + big16(0) + big16(1) +
                           big32(offsets.first() - 8) + big32(8);
    // Properties by their place from 1 on, in two bytes for as many as one
    // setup per item makes, the first bit saying that it must be understood.
    const bool perItem = setups == TileSetups::perItem;
    const auto property = [perItem](quint32 place, bool essential) {
        return perItem ? big16(place | (essential ? 0x8000 : 0)) : QByteArray(1, char(place | (essential ? 0x80 : 0)));
    };
    QByteArray associations = big32(quint32(1 + items)) + big16(1) + QByteArray(1, 1) + property(3, false);
    for (int item = 0; item < items; ++item) {
        const int tile = item % int(coded.size());
        const auto id = quint32(2 + item);
        infos += fullBox("infe", 2 << 24 | 1, big16(id) + big16(0) + tileType + '\0');
        locations += big16(id) + big16(0) + big16(1) + big32(offsets[tile]) + big32(quint32(coded[tile].size()));
        associations += big16(id) + QByteArray(1, 2) + property(perItem ? 4 + item : 1, true) + property(2, false);
    }
    QByteArray references = big16(1) + big16(quint32(places.size()));
    for (int item : places) references += big16(quint32(2 + item));
    return fullBox("meta", 0,
                   handlerAndPrimary() + fullBox("iinf", 0, big16(quint32(1 + items)) + infos) +
                       fullBox("iloc", 0, locations) + fullBox("iref", 0, box("dimg", references)) +
                       box("iprp", properties + fullBox("ipma", perItem ? 1 : 0, associations)));
}

// The association entries of item 1 and of the items only they name, as
// `bulk` says, their number first.
QByteArray associations(const DescriptionBulk& bulk, bool longIds) {
    const auto id = [longIds](quint32 item) { return longIds ? big32(item) : big16(item); };
    const QByteArray setupNamings(bulk.setupNamings, '\x81');
    QByteArray entries = big32(quint32(bulk.entries + bulk.associatedOnly)) + id(1) +
                         QByteArray(1, char(1 + bulk.setupNamings)) + '\x02' + setupNamings;
    for (int entry = 1; entry < bulk.entries; ++entry)
        entries += id(1) + QByteArray(1, char(bulk.setupNamings)) + setupNamings;
    for (int item = 0; item < bulk.associatedOnly; ++item) entries += id(quint32(2 + item)) + QByteArray("\x02\x81\x02", 3);
    return entries;
}

// A file of the one picture, item 1, of `size`, decoded with the setup `hvcC`
// from `coded`, with the bulk `bulk` in its description but for its setup.
QByteArray heicPicture(const QByteArray& hvcC, const QByteArray& coded, QSize size, const DescriptionBulk& bulk = {}) {
    const auto description = [&](quint32 offset) {
        const QByteArray place = big16(0) + big16(1) + big32(offset) + big32(quint32(coded.size()));
        QByteArray locations = QByteArray("\x44\0", 2) + big16(quint32(1 + bulk.textItems)) + big16(1) + place;
        QByteArray infos = fullBox("infe", 2 << 24, big16(1) + big16(0) + QByteArray("hvc1", 5));
        for (quint32 item = 2; item < quint32(2 + bulk.textItems); ++item) {
            infos += fullBox("infe", 2 << 24, big16(item) + big16(0) + QByteArray("mime\0text/plain\0", 16));
            locations += big16(item) + place;
        }
        // A table after it whose pieces have no offset or length: each runs
        // from its base, where the picture's data starts, to the end of the file.
        const QByteArray again = QByteArray("\0\x40", 2) + big16(quint32(bulk.locationCopies)) +
                                 (big16(1) + big16(0) + big32(offset) + big16(256)).repeated(bulk.locationCopies);
        const QByteArray profile =
            bulk.profileBytes > 0 ? box("colr", QByteArray("prof") + QByteArray(bulk.profileBytes, '\0')) : QByteArray();
        const bool longIds = bulk.associatedOnly >= 0xffff;
        return fullBox("meta", 0,
                       handlerAndPrimary() + fullBox("iinf", 0, big16(quint32(1 + bulk.textItems)) + infos) +
                           fullBox("iloc", 0, locations) + (bulk.locationCopies > 0 ? fullBox("iloc", 0, again) : QByteArray()) +
                           box("iprp", box("ipco", hvcC + sizeBox(size) + profile) +
                                           fullBox("ipma", longIds ? 1 << 24 : 0, associations(bulk, longIds))));
    };
    const auto dataStart = quint32(fileType.size() + description(0).size() + 8);
    return fileType + description(dataStart) + box("mdat", coded);
}

// The unit holding `bits`, with a byte 3 after each two zero bytes that a
// byte of 3 or less follows.
QByteArray escaped(const QByteArray& bits) {
    QByteArray unit;
    int zeros = 0;
    for (const char byte : bits) {
        if (zeros >= 2 && quint8(byte) <= 3) {
            unit += '\x03';
            zeros = 0;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        unit += byte;
    }
    return unit;
}

QList<bool> bitsOf(const QByteArray& bytes) {
    QList<bool> bits;
    for (const char byte : bytes)
        for (int bit = 7; bit >= 0; --bit) bits.append((quint8(byte) >> bit & 1) != 0);
    return bits;
}

// `bits`, ended by a one and zeros up to a whole byte, as every parameter set is.
QByteArray bytesEnded(QList<bool> bits) {
    bits.append(true);
    while (bits.size() % 8 != 0) bits.append(false);
    QByteArray bytes(bits.size() / 8, '\0');
    for (qsizetype bit = 0; bit < bits.size(); ++bit)
        if (bits[bit]) bytes[bit / 8] = char(quint8(bytes[bit / 8]) | 0x80 >> bit % 8);
    return bytes;
}

// Unsigned exp-Golomb: as many zeros as the bits of `value + 1` after its
// first, then those bits.
void appendExpGolomb(QList<bool>& bits, quint32 value) {
    const quint64 coded = quint64(value) + 1;
    int width = 0;
    while (coded >> (width + 1) != 0) ++width;
    for (int zero = 0; zero < width; ++zero) bits.append(false);
    for (int bit = width; bit >= 0; --bit) bits.append((coded >> bit & 1) != 0);
}

qsizetype afterExpGolomb(const QList<bool>& bits, qsizetype at) {
    qsizetype zeros = 0;
    while (!bits[at + zeros]) ++zeros;
    return at + 2 * zeros + 1;
}

// Where the size of its pictures starts in the bits of a sequence parameter
// set as our encoder writes it (one layer, no cropping): after the unit's
// header, the set's ids and layers, the profile, tier and level of its one
// layer, the set's id and its chroma format.
qsizetype sizeStart(const QList<bool>& bits) { return afterExpGolomb(bits, afterExpGolomb(bits, 16 + 8 + 96)); }

// The sequence parameter set `unit` stating `coded` as the size of its pictures.
QByteArray sequenceParametersOf(const QByteArray& unit, QSize coded) {
    const QList<bool> bits = bitsOf(heif::payloadOf(unit));
    qsizetype at = sizeStart(bits);
    QList<bool> changed = bits.mid(0, at);
    appendExpGolomb(changed, quint32(coded.width()));
    appendExpGolomb(changed, quint32(coded.height()));
    at = afterExpGolomb(bits, afterExpGolomb(bits, at));
    // Up to the one that ends the bits.
    changed += bits.mid(at, bits.lastIndexOf(true) - at);
    return escaped(bytesEnded(changed));
}

constexpr int sequenceParameters = 33, pictureParameters = 34;

// Where the first unit of `type` stands in the decoder setup `hvcC`, and its
// length: after the setup's fixed fields, arrays of units of one type each,
// each unit after its length.
qsizetype unitIn(const QByteArray& hvcC, int type, qsizetype& length) {
    qsizetype at = 8 + 23;
    for (int array = 0, arrays = quint8(hvcC.at(at - 1)); array < arrays; ++array) {
        const bool wanted = (quint8(hvcC.at(at)) & 0x3f) == type;
        const int units = qFromBigEndian<quint16>(hvcC.constData() + at + 1);
        at += 3;
        for (int unit = 0; unit < units; ++unit) {
            length = qFromBigEndian<quint16>(hvcC.constData() + at);
            if (wanted) return at + 2;
            at += 2 + length;
        }
    }
    return -1;
}

// A unit of coded data: its length, then the unit.
QByteArray codedUnit(const QByteArray& unit) { return big32(quint32(unit.size())) + unit; }

// The sequence parameter set `unit` cut after the size it states.
QByteArray cutAfterSize(const QByteArray& unit) {
    const QList<bool> bits = bitsOf(heif::payloadOf(unit));
    return escaped(bytesEnded(bits.mid(0, afterExpGolomb(bits, afterExpGolomb(bits, sizeStart(bits))))));
}

// The decoder setup `hvcC` with `copies` copies of its one sequence parameter
// set, cut after the size, after the set.
QByteArray withCutCopies(const QByteArray& hvcC, int copies) {
    qsizetype length = 0;
    const qsizetype at = unitIn(hvcC, sequenceParameters, length);
    const QByteArray cut = cutAfterSize(hvcC.mid(at, length));
    QByteArray setup = hvcC.left(at - 4) + big16(quint32(1 + copies)) + hvcC.mid(at - 2, 2 + length) +
                       (big16(quint32(cut.size())) + cut).repeated(copies) + hvcC.mid(at + length);
    qToBigEndian(quint32(setup.size()), setup.data());
    return setup;
}

QSize declaredIn(const QByteArray& heic) {
    const QByteArray sizeBox = boxIn(heic, "ispe");
    return QSize(int(qFromBigEndian<quint32>(sizeBox.constData() + 12)), int(qFromBigEndian<quint32>(sizeBox.constData() + 16)));
}

}  // namespace

QByteArray heicWithBulk(const QByteArray& heic, const DescriptionBulk& bulk) {
    return heicPicture(withCutCopies(boxIn(heic, "hvcC"), bulk.cutParameterCopies), boxIn(heic, "mdat").mid(8),
                       declaredIn(heic), bulk);
}

QByteArray heicCodedAs(const QByteArray& heic, QSize declared, QSize coded, CodedSizeIn where) {
    QByteArray hvcC = boxIn(heic, "hvcC"), data = boxIn(heic, "mdat").mid(8);
    qsizetype length = 0;
    const qsizetype at = unitIn(hvcC, sequenceParameters, length);
    const QByteArray stated = sequenceParametersOf(hvcC.mid(at, length), coded);
    if (where == CodedSizeIn::data) {
        // The picture parameters follow the sequence's they refer to.
        qsizetype pictureLength = 0;
        const qsizetype picture = unitIn(hvcC, pictureParameters, pictureLength);
        data = codedUnit(stated) + codedUnit(hvcC.mid(picture, pictureLength)) + data;
    } else {
        hvcC = hvcC.left(at - 2) + big16(quint32(stated.size())) + stated + hvcC.mid(at + length);
        qToBigEndian(quint32(hvcC.size()), hvcC.data());
    }
    return heicPicture(hvcC, data, declared);
}

QByteArray av1Picture(QSize size) {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("picture.avif"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                  QStringLiteral("-nostdin"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("color=c=red:s=%1x%2").arg(size.width()).arg(size.height()),
                  QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-c:v"), QStringLiteral("libaom-av1"),
                  QStringLiteral("-cpu-used"), QStringLiteral("8"), QStringLiteral("-still-picture"), QStringLiteral("1"),
                  path});
    QFile file(path);
    if (!ffmpeg.waitForFinished(120'000) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0 ||
        !file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray heicGrid(const QList<QByteArray>& tiles, int columns, int rows, QSize size, TileReuse reuse,
                    TileSetups setups) {
    // What our encoder writes of a picture: its decoder setup, its size, and
    // its coded stream filling the media data box.
    QList<QByteArray> coded;
    for (const QByteArray& heic : tiles) coded.append(boxIn(heic, "mdat").mid(8));
    const int placeCount = columns * rows;
    const int items = reuse == TileReuse::sameItem ? int(coded.size()) : placeCount;
    QByteArray listed = setupOf(tiles.first()) + boxIn(tiles.first(), "ispe") + sizeBox(size);
    for (int item = 0; setups == TileSetups::perItem && item < items; ++item)
        listed += setupOf(tiles[item % tiles.size()]);
    const QByteArray properties = box("ipco", listed);

    QList<int> places;
    for (int place = 0; place < placeCount; ++place) places.append(place % items);
    QByteArray data = QByteArray(2, '\0') + QByteArray(1, char(rows - 1)) + QByteArray(1, char(columns - 1)) +
                      big16(quint32(size.width())) + big16(quint32(size.height()));
    QList<quint32> offsets;
    for (const QByteArray& stream : coded) {
        offsets.append(quint32(data.size()));
        data += stream;
    }

    const QByteArray tileType = setupOf(tiles.first()).mid(4, 4) == "av1C" ? "av01" : "hvc1";
    const auto described = [&] { return description(items, offsets, coded, places, properties, setups, tileType); };
    const quint32 dataStart = quint32(fileType.size() + described().size() + 8);
    for (quint32& offset : offsets) offset += dataStart;
    return fileType + described() + box("mdat", data);
}

}  // namespace tavero::fixtures
