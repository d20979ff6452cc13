#pragma once

#include "platform/ShotError.h"

#include <QByteArray>
#include <QList>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <optional>

namespace tavero {
struct FrameOptions;
struct Mark;
}  // namespace tavero

namespace tavero::ImageOps {

// Every image the program makes, loads or pastes stays within these limits.
inline constexpr qint64 maxPixels = 40'000'000;
inline constexpr int maxSide = 32'000;

// The pixel format of every drawing surface and every decoded image.
inline constexpr QImage::Format surfaceFormat = QImage::Format_RGBA8888_Premultiplied;

// --- Limits, surfaces, files ---

// The pixel size of a capture of `points` on a display with backing `scale`
// (1 when the scale is not a finite positive number); each side at least 2.
QSize capturePixelSize(QSizeF points, double scale);

// A new transparent surface; throws the size sentence beyond the limits.
QImage context(int width, int height);

// Draws `image` upright into `rect` of a top-left-origin painter.
void image(const QImage& image, const QRectF& rect, QPainter& painter);

// The pixel size that encoded image data declares in its header, without
// decoding any pixel; none when the data is not a readable image.
std::optional<QSize> encodedImageSize(const QByteArray& data);

// What decode() and load() throw for a picture beyond `maxPixels`, whether
// its header says so or only its decoded pixels do (a container can declare
// one size and hold a larger picture), and for a stream coded larger than
// its header declares; carries the load sentence.
class PictureTooLarge : public ShotError {
public:
    PictureTooLarge();
};

// Decodes PNG, JPEG, HEIC and the other formats Qt reads, refusing anything
// beyond `maxPixels` before decoding, and again by its decoded size before
// anything else sees it; throws the load sentence. The text chunks of a PNG
// that would take more than a little memory are left out.
QImage decode(const QByteArray& data);

// The first image of a file, fully decoded; throws as decode().
QImage load(const QString& path);

// Encoded image data: JPEG for exactly "jpg", HEIC for exactly "heic", PNG
// for every other string.
QByteArray png(const QImage& image, const QString& type);

// A reduced copy of the first image of a file, at most `maxPixelSize` on its
// longer side (never enlarged), decoded scaled where the format allows. A
// null image when the file is missing, unreadable, not an image or beyond
// `maxPixels`. Callable on any thread.
QImage thumbnail(const QString& path, int maxPixelSize);

// --- Marks and covers ---

// Draws `marks` in list order into `painter`, whose coordinates are image
// pixels with a top-left origin. `base` is the unannotated image covers read.
void marks(const QList<Mark>& marks, const QImage& base, QPainter& painter);

// `image` with `marks` burnt in, same pixel size.
QImage render(const QImage& image, const QList<Mark>& marks);

// Draws the cover of one pixelate mark, computed from `base` only.
void obscure(const Mark& mark, const QImage& base, QPainter& painter);
// Whether drawing the cover of a pixelate mark is quick: its filtered pixels
// are cached, or it covers too little to take long to filter.
bool obscureIsQuick(const Mark& mark, const QImage& base);

// --- Whole-image operations ---

QImage resized(const QImage& image, int width, int height);
// Turns clockwise with `rotate`; mirrors left to right (before turning) with `flip`.
QImage transformed(const QImage& image, bool rotate, bool flip);
// Joins b below a (or to its right), a winning the `overlap` rows they share.
QImage combine(const QImage& a, const QImage& b, bool horizontal, int overlap);
// The 1200 × 760 practice picture.
QImage demo();

// --- Background frames ---

QImage framed(const QImage& image, const FrameOptions& options, double renderingScale);
// The pixel size framed() gives a picture of `picture` size, without drawing
// anything; throws the size sentence where framed() would.
QSize framedSize(QSize picture, const FrameOptions& options, double renderingScale);
// The short form: mint (or night when `dark`), corner radius 16, diagonal.
QImage framed(const QImage& image, int padding = 64, bool dark = false);
// The frame of a copy reduced to at most 860 pixels on its longer side.
QImage framePreview(const QImage& image, const FrameOptions& options);
// A copy of `image` as large as any frame preview of it needs: at most 860
// pixels on its longer side. Made once, it saves reducing the whole picture
// for every preview.
QImage previewSource(const QImage& image);
// framePreview() of a picture of `size`, reduced from `previewCopy`, its previewSource().
QImage framePreview(QSize size, const QImage& previewCopy, const FrameOptions& options);

// --- Scrolling match ---

// A 96 × 120 grey thumbnail of a frame, for a cheap "did anything change".
QByteArray scrollSignature(const QImage& frame);
// Mean absolute byte difference; +infinity for empty or unequal signatures.
double scrollDifference(const QByteArray& a, const QByteArray& b);
// Rows of `b` that repeat the bottom of `a`: 0 when nothing moved, none when
// no alignment can be trusted. Throws when the frames differ in size.
std::optional<int> scrollOverlap(const QImage& a, const QImage& b);

}  // namespace tavero::ImageOps
