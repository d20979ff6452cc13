// Opening a picture file and making its history thumbnail: HEIC grids, the
// crafted ones that reuse one small tile all over, a phone's of 512-pixel
// tiles, and both of as many tiles as are let through, beside a JPEG of the
// same pixels; and crafted HEIC pictures and grids whose coded streams state
// a larger size than their size boxes declare, in HEVC or in AV1; and crafted
// HEIC pictures whose association table names one decoder setup, of 2,500
// parameter sets, a hundred thousand times and more, or names 65,535 items
// the file does not describe, or whose locations place its data again 65,534
// times. Time, and how far the process's peak resident memory rose.
#include "bench/ProcessMeasures.h"
#include "document/ImageOps.h"
#include "platform/ShotError.h"
#include "tests/support/CraftedHeif.h"
#include "tests/support/Pictures.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

#include <benchmark/benchmark.h>

using namespace tavero;

namespace {

QByteArray heic(const QImage& image) { return ImageOps::png(image, QStringLiteral("heic")); }

// A phone's 12-megapixel photo, 4032 × 3024, in tiles of `side` pixels each
// coded separately: phones write 512, and 256 makes as many as are let through.
QByteArray phoneGrid(int side) {
    const QImage whole = fixtures::screenshotLike(4096, 3072);
    const int columns = whole.width() / side, rows = whole.height() / side;
    QList<QByteArray> tiles;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            tiles.append(heic(whole.copy(column * side, row * side, side, side)));
    return fixtures::heicGrid(tiles, columns, rows, QSize(4032, 3024));
}

QByteArray smallTileGrid(QSize size, fixtures::TileReuse reuse) {
    return fixtures::heicGrid({heic(fixtures::screenshotLike(64, 64))}, 100, 100, size, reuse);
}

// 6000 × 6000 in 24 × 24 tiles of 256 pixels: as many as are let through.
QByteArray mostTilesGrid() {
    return fixtures::heicGrid({heic(fixtures::screenshotLike(256, 256))}, 24, 24, QSize(6000, 6000),
                              fixtures::TileReuse::sameData);
}

// A 64-pixel picture whose stream states `coded`, declared `declared`.
QByteArray statedLarger(QSize declared, QSize coded, fixtures::CodedSizeIn where) {
    return fixtures::heicCodedAs(heic(fixtures::screenshotLike(64, 64)), declared, coded, where);
}

// 2048 × 2048 in 4 × 4 tiles that each state 2048 × 2048 and declare 512 × 512.
QByteArray tilesStatedLarger() {
    return fixtures::heicGrid({statedLarger(QSize(512, 512), QSize(2048, 2048), fixtures::CodedSizeIn::setup)}, 4, 4,
                              QSize(2048, 2048));
}

// 8192 × 1 in one tile that declares and states 8192 × 8192.
QByteArray tileDeclaredLarger() {
    return fixtures::heicGrid({statedLarger(QSize(8192, 8192), QSize(8192, 8192), fixtures::CodedSizeIn::setup)}, 1, 1,
                              QSize(8192, 1));
}

// 8192 × 8192 coded in AV1, declared 32000 × 1.
QByteArray av1StatedLarger() {
    return fixtures::withSizeBox(fixtures::av1Picture(QSize(8192, 8192)), QSize(32000, 1));
}

// A 64-pixel picture whose decoder setup holds 2,500 copies of its sequence
// parameters cut after its size, named 254 times in each of `entries` association entries of
// the picture, or once by each of `associatedOnly` items no more than named.
QByteArray repeatedTables(int entries, int associatedOnly) {
    fixtures::DescriptionBulk bulk;
    bulk.cutParameterCopies = 2500;
    bulk.entries = entries;
    bulk.setupNamings = entries > 1 ? 254 : 1;
    bulk.associatedOnly = associatedOnly;
    return fixtures::heicWithBulk(heic(fixtures::screenshotLike(64, 64)), bulk);
}

// A 64-pixel picture whose data is placed again by 65,534 entries of a
// second table, in 256 pieces of no bytes each.
QByteArray placedAgain() {
    fixtures::DescriptionBulk bulk;
    bulk.locationCopies = 65534;
    return fixtures::heicWithBulk(heic(fixtures::screenshotLike(64, 64)), bulk);
}

struct Files {
    QTemporaryDir folder;
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = folder.filePath(name);
        QFile file(path);
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
        return path;
    }
    QString sameData6000 = write(QStringLiteral("6000-data.heic"),
                                 smallTileGrid(QSize(6000, 6000), fixtures::TileReuse::sameData));
    QString sameItem6000 = write(QStringLiteral("6000-item.heic"),
                                 smallTileGrid(QSize(6000, 6000), fixtures::TileReuse::sameItem));
    QString sameData6400 = write(QStringLiteral("6400-data.heic"),
                                 smallTileGrid(QSize(6400, 6400), fixtures::TileReuse::sameData));
    QString mostTiles6000 = write(QStringLiteral("6000-most.heic"), mostTilesGrid());
    QString phone = write(QStringLiteral("phone.heic"), phoneGrid(512));
    QString phoneMostTiles = write(QStringLiteral("phone-most.heic"), phoneGrid(256));
    QString jpeg6000 = write(QStringLiteral("6000.jpg"),
                             ImageOps::png(fixtures::screenshotLike(6000, 6000), QStringLiteral("jpg")));
    QString jpegPhone = write(QStringLiteral("phone.jpg"),
                              ImageOps::png(fixtures::screenshotLike(4032, 3024), QStringLiteral("jpg")));
    QString statedInSetup = write(QStringLiteral("stated-setup.heic"),
                                  statedLarger(QSize(32000, 1), QSize(8192, 8192), fixtures::CodedSizeIn::setup));
    QString statedInData = write(QStringLiteral("stated-data.heic"),
                                 statedLarger(QSize(32000, 1), QSize(8192, 8192), fixtures::CodedSizeIn::data));
    QString tilesStated = write(QStringLiteral("tiles-stated.heic"), tilesStatedLarger());
    QString tileDeclared = write(QStringLiteral("tile-declared.heic"), tileDeclaredLarger());
    QString av1Stated = write(QStringLiteral("av1-stated.heic"), av1StatedLarger());
    QString repeated100 = write(QStringLiteral("repeated-100.heic"), repeatedTables(100, 0));
    QString repeated400 = write(QStringLiteral("repeated-400.heic"), repeatedTables(400, 0));
    QString repeated4000 = write(QStringLiteral("repeated-4000.heic"), repeatedTables(4000, 0));
    QString associatedOnly = write(QStringLiteral("associated-only.heic"), repeatedTables(1, 65535));
    QString placed = write(QStringLiteral("placed-again.heic"), placedAgain());
};

const Files& files() {
    static const Files made;
    return made;
}

bool load(const QString& path) {
    try {
        return !ImageOps::load(path).isNull();
    } catch (const ShotError&) {
        return false;
    }
}

bool thumbnail(const QString& path) { return !ImageOps::thumbnail(path, 110).isNull(); }

// Runs `open` on the file once per iteration: it answers whether the picture
// came.
void measure(benchmark::State& state, QString Files::*file, bool (*open)(const QString&)) {
    const QString& path = files().*file;
    if (path.isEmpty()) return state.SkipWithError("the file could not be made");
    qint64 peakGrowth = 0;
    bool opened = false;
    for (auto _ : state) {
        const qint64 before = bench::statusBytes("VmRSS:");
        bench::resetPeak();
        opened = open(path);
        peakGrowth = std::max(peakGrowth, bench::statusBytes("VmHWM:") - before);
    }
    state.SetLabel(opened ? "opened" : "refused");
    state.counters["file KB"] = double(QFile(path).size()) / 1e3;
    state.counters["peak growth MB"] = double(peakGrowth) / 1e6;
}

}  // namespace

// The process's CPU time beside the wall clock: libheif decodes tiles on
// threads of its own.
#define PICTURE_BENCHMARK(name, file, open)                                                           \
    BENCHMARK_CAPTURE(measure, name, &Files::file, open)->Unit(benchmark::kMillisecond)->UseRealTime() \
        ->MeasureProcessCPUTime()->Iterations(3)
PICTURE_BENCHMARK(open6000SameData, sameData6000, load);
PICTURE_BENCHMARK(open6000SameItem, sameItem6000, load);
PICTURE_BENCHMARK(open6400SameData, sameData6400, load);
PICTURE_BENCHMARK(open6000MostTiles, mostTiles6000, load);
PICTURE_BENCHMARK(openJpeg6000, jpeg6000, load);
PICTURE_BENCHMARK(openPhoneGrid, phone, load);
PICTURE_BENCHMARK(openPhoneMostTiles, phoneMostTiles, load);
PICTURE_BENCHMARK(openPhoneJpeg, jpegPhone, load);
PICTURE_BENCHMARK(thumbnail6000SameData, sameData6000, thumbnail);
PICTURE_BENCHMARK(thumbnail6000MostTiles, mostTiles6000, thumbnail);
PICTURE_BENCHMARK(thumbnailJpeg6000, jpeg6000, thumbnail);
PICTURE_BENCHMARK(thumbnailPhoneGrid, phone, thumbnail);
PICTURE_BENCHMARK(thumbnailPhoneJpeg, jpegPhone, thumbnail);
PICTURE_BENCHMARK(openStatedInSetup, statedInSetup, load);
PICTURE_BENCHMARK(openStatedInData, statedInData, load);
PICTURE_BENCHMARK(openTilesStated, tilesStated, load);
PICTURE_BENCHMARK(openTileDeclared, tileDeclared, load);
PICTURE_BENCHMARK(thumbnailStatedInSetup, statedInSetup, thumbnail);
PICTURE_BENCHMARK(thumbnailTileDeclared, tileDeclared, thumbnail);
PICTURE_BENCHMARK(openAv1Stated, av1Stated, load);
PICTURE_BENCHMARK(thumbnailAv1Stated, av1Stated, thumbnail);
PICTURE_BENCHMARK(openRepeated100, repeated100, load);
PICTURE_BENCHMARK(openRepeated400, repeated400, load);
PICTURE_BENCHMARK(openRepeated4000, repeated4000, load);
PICTURE_BENCHMARK(thumbnailRepeated400, repeated400, thumbnail);
PICTURE_BENCHMARK(openAssociatedOnly, associatedOnly, load);
PICTURE_BENCHMARK(openPlacedAgain, placed, load);
