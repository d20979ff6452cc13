#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>

namespace tavero::fixtures {

// How a grid holds a tile that stands in several of its places.
enum class TileReuse {
    sameData,  // an item for each place, all over the one copy of its coded data
    sameItem,  // the one item, referred to from each place
};

// Whether the items of a grid's tiles share one decoder setup.
enum class TileSetups {
    shared,   // the first tile's, as phones write them
    perItem,  // each item a copy of its tile's, listed after the other properties
};

// A HEIC file whose primary picture is a grid written box by box, as no
// encoder writes one: `columns` × `rows` tiles declaring `size` together,
// the tile in place i (row by row) being tiles[i % tiles.size()]. Each tile
// is HEIC data of one opaque picture as our encoder writes it, all of one
// size (or AV1-coded data as av1Picture makes it); its coded stream is
// taken over as it is.
QByteArray heicGrid(const QList<QByteArray>& tiles, int columns, int rows, QSize size,
                    TileReuse reuse = TileReuse::sameData, TileSetups setups = TileSetups::shared);

// Where a crafted picture states the size of its coded stream.
enum class CodedSizeIn {
    setup,  // the sequence parameters of its decoder setup
    data,   // sequence parameters of its own ahead of its coded data
};

// HEIC data of one picture as our encoder writes it (`heic`, its stream coded
// without cropping), rebuilt box by box declaring `declared` while its coded
// stream states `coded` in `where`: only the picture's top left, as large as
// it was coded, is in the stream.
QByteArray heicCodedAs(const QByteArray& heic, QSize declared, QSize coded, CodedSizeIn where);

// What a crafted picture's description holds beyond what it needs.
struct DescriptionBulk {
    int cutParameterCopies = 0;  // of its sequence parameters, cut after its size, in its decoder setup
    int entries = 1;             // association entries of the picture,
    int setupNamings = 1;        // each naming its decoder setup this often
    int associatedOnly = 0;      // items no more than named there, each with its decoder setup and size
    int locationCopies = 0;      // entries placing the picture's data again, in a table after the first, in 256 pieces each
    int textItems = 0;           // described and placed, named in no association
    int profileBytes = 0;        // of a colour profile that no item names
};

// HEIC data of one picture as our encoder writes it (`heic`), rebuilt box by
// box with the bulk `bulk` in its description.
QByteArray heicWithBulk(const QByteArray& heic, const DescriptionBulk& bulk);

// HEIF data of one red picture of `size` coded in AV1: an AVIF file as
// FFmpeg's command line writes it with libaom. Empty when FFmpeg could not
// make it.
QByteArray av1Picture(QSize size);

}  // namespace tavero::fixtures
