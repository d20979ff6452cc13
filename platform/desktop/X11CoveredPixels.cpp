#include "platform/desktop/X11CoveredPixels.h"

#include "platform/desktop/X11Displays.h"
#include "platform/desktop/X11ImageGrabber.h"
#include "platform/desktop/X11RootBackground.h"

#include <QPainter>

#include <xcb/composite.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace tavero::x11 {

namespace {

constexpr QRgb black = 0xff000000u;
// The side of the square where the screen is compared with the desktop
// picture.
constexpr int desktopSpot = 64;

// Copies `from` of `source` into `target` with its top-left corner at `at`;
// both hold four bytes a pixel.
void copyInto(QImage& target, QPoint at, const QImage& source, const QRect& from) {
    const size_t bytes = size_t(from.width()) * 4;
    for (int y = 0; y < from.height(); ++y)
        std::memcpy(target.scanLine(at.y() + y) + size_t(at.x()) * 4,
                    source.constScanLine(from.y() + y) + size_t(from.x()) * 4, bytes);
}

void copyInto(QImage& target, QPoint at, const QImage& source) { copyInto(target, at, source, source.rect()); }

void makeOpaque(QImage& target, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x) row[x] |= black;
    }
}

// Whether two reads of the same place show the same picture, but for a
// compositing manager's rounding.
bool alike(const QImage& one, const QImage& other) {
    constexpr int tolerance = 8;
    if (one.isNull() || one.size() != other.size()) return false;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) {
            const QRgb a = one.pixel(x, y);
            const QRgb b = other.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > tolerance || std::abs(qGreen(a) - qGreen(b)) > tolerance ||
                std::abs(qBlue(a) - qBlue(b)) > tolerance)
                return false;
        }
    return true;
}

void fillInto(QImage& target, const QRect& rect, QRgb colour) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
        std::fill(row + rect.left(), row + rect.left() + rect.width(), colour);
    }
}

// The desktop's picture as desktop programs publish it: _XROOTPMAP_ID, or
// ESETROOT_PMAP_ID of older wallpaper setters. Both are asked at once.
xcb_pixmap_t desktopPixmap(Connection& connection) {
    xcb_connection_t* c = connection.get();
    const std::array names{"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"};
    std::array<xcb_get_property_cookie_t, names.size()> asked{};
    for (size_t index = 0; index < names.size(); ++index)
        asked[index] = xcb_get_property(c, 0, connection.root(), connection.atom(names[index]), XCB_ATOM_PIXMAP, 0, 1);
    xcb_pixmap_t pixmap = XCB_PIXMAP_NONE;
    for (const xcb_get_property_cookie_t& cookie : asked) {
        auto reply = take(xcb_get_property_reply(c, cookie, nullptr));
        const bool named = reply && reply->type == XCB_ATOM_PIXMAP && reply->format == 32 &&
                           xcb_get_property_value_length(reply.get()) >= 4;
        if (named && pixmap == XCB_PIXMAP_NONE)
            pixmap = *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(reply.get()));
    }
    return pixmap;
}

}  // namespace

bool ShownPicture::copyTo(const QRect& rect, QImage& target, QPoint at) const {
    const QRect inPicture = rect.translated(-origin);
    if (image.isNull() || !image.rect().contains(inPicture)) return false;
    copyInto(target, at, image, inPicture);
    const QRect underPointer = rect & pointer;
    if (!underPointer.isEmpty() && beneathPointer.size() == pointer.size())
        copyInto(target, at + underPointer.topLeft() - rect.topLeft(), beneathPointer,
                 underPointer.translated(-pointer.topLeft()));
    return true;
}

CoveredPixels::CoveredPixels(Connection& connection, ImageGrabber& grabber)
    : connection_(connection), grabber_(grabber) {}

void CoveredPixels::cover(const QRegion& region, const ShownPicture& last, const QRegion& windows) {
    if (region == region_) return;
    std::vector<Piece> pieces;
    QRegion unseen = unseen_ & region;
    for (const QRect& rect : region) pieces.push_back(pieceOver(rect, last, windows, unseen));
    region_ = region;
    pieces_ = std::move(pieces);
    unseen_ = unseen;
    stale_ = region_;
}

// What the screen showed at `rect` is what the pieces kept where our windows
// covered it already, else what the last picture showed where it showed the
// desktop.
CoveredPixels::Piece CoveredPixels::pieceOver(const QRect& rect, const ShownPicture& last, const QRegion& windows,
                                              QRegion& unseen) const {
    Piece piece{rect, QImage(rect.size(), QImage::Format_RGB32), QImage(rect.size(), QImage::Format_RGB32)};
    piece.seen.fill(black);
    for (const Part& part : partsOf(rect)) {
        const Piece& kept = pieces_[part.piece];
        copyInto(piece.seen, part.rect.topLeft() - rect.topLeft(), kept.seen,
                 part.rect.translated(-kept.rect.topLeft()));
    }
    const QRegion uncovered = QRegion(rect).subtracted(region_);
    for (const QRect& desktop : uncovered.subtracted(windows))
        if (!last.copyTo(desktop, piece.seen, desktop.topLeft() - rect.topLeft())) unseen += desktop;
    unseen += uncovered & windows;
    return piece;
}

void CoveredPixels::clear() {
    region_ = QRegion();
    pieces_.clear();
    stale_ = QRegion();
    unseen_ = QRegion();
    beneath_.clear();
    desktopKnown_ = false;
    desktop_ = {};
}

void CoveredPixels::refresh(const QList<TopLevel>& beneath, bool managerPaints,
                            const QHash<xcb_window_t, QRegion>& undrawn) {
    checkDesktop();
    if (beneath != beneath_ || managerPaints != managerPaints_) {
        beneath_ = beneath;
        managerPaints_ = managerPaints;
        stale_ = region_;
    }
    const QRegion stale = stale_;
    stale_ = QRegion();
    if (stale.isEmpty()) return;
    // Each window shows where no opaque window above it lies; a compositing
    // manager lays windows with an alpha channel over what lies beneath them.
    const auto laidOver = [&](const TopLevel& window) { return managerPaints && window.depth == 32; };
    std::vector<QRegion> shown(size_t(beneath.size()));
    QRegion hidden;
    for (qsizetype index = beneath.size() - 1; index >= 0; --index) {
        shown[size_t(index)] = (stale & beneath[index].shape).subtracted(hidden);
        if (!laidOver(beneath[index])) hidden += beneath[index].shape;
    }
    paintDesktop(stale.subtracted(hidden));
    for (qsizetype index = 0; index < beneath.size(); ++index) {
        const QRegion blank = shown[size_t(index)] & undrawn.value(beneath[index].id);
        paintWindow(beneath[index], shown[size_t(index)].subtracted(blank), laidOver(beneath[index]));
        paintBlack(blank);
    }
}

// A new desktop picture shows everywhere: what the pictures showed of the
// desktop before is read again.
void CoveredPixels::checkDesktop() {
    const xcb_pixmap_t pixmap = desktopPixmap(connection_);
    if (desktopKnown_ && pixmap == desktop_.pixmap) return;
    if (desktopKnown_) unseen_ = region_;
    desktopKnown_ = true;
    desktop_ = {pixmap, QRect(), 0, std::nullopt};
    stale_ = region_;
    if (pixmap == XCB_PIXMAP_NONE) return;
    xcb_connection_t* c = connection_.get();
    auto geometry = take(xcb_get_geometry_reply(c, xcb_get_geometry(c, pixmap), nullptr));
    if (!geometry) return;
    desktop_.rect = QRect(0, 0, geometry->width, geometry->height);
    desktop_.depth = geometry->depth;
}

std::vector<CoveredPixels::Part> CoveredPixels::partsOf(const QRegion& region) const {
    std::vector<Part> parts;
    if (region.isEmpty()) return parts;
    for (size_t piece = 0; piece < pieces_.size(); ++piece)
        for (const QRect& rect : region & pieces_[piece].rect) parts.push_back({piece, rect});
    return parts;
}

void CoveredPixels::paintBlack(const QRegion& region) {
    for (const Part& part : partsOf(region))
        fillInto(pieces_[part.piece].pixels, part.rect.translated(-pieces_[part.piece].rect.topLeft()), black);
}

// What the screen showed there, read first where no picture showed it.
void CoveredPixels::paintDesktop(const QRegion& shown) {
    if (const QRegion first = shown & unseen_; !first.isEmpty()) {
        // Read once: what fails stays black.
        unseen_ -= first;
        readUnseen(first);
    }
    for (const Part& part : partsOf(shown)) {
        Piece& piece = pieces_[part.piece];
        const QRect inPiece = part.rect.translated(-piece.rect.topLeft());
        copyInto(piece.pixels, inPiece.topLeft(), piece.seen, inPiece);
    }
}

// What the screen shows where no window lies.
void CoveredPixels::readUnseen(const QRegion& region) {
    if (!managerPaints_) {
        readSeen(region);
        return;
    }
    QRegion rest = region;
    if (desktopPictureShown()) {
        readDesktopPicture(region & desktop_.rect);
        rest -= desktop_.rect;
    }
    if (!rest.isEmpty()) fillSeen(rest, managerDesktop());
}

// Without a compositing manager the server paints the root's background
// wherever no window lies.
void CoveredPixels::readSeen(const QRegion& region) {
    readRootBackground(connection_, grabber_, region, [this](const QRect& rect, const QImage& pixels) {
        if (pixels.isNull()) return;
        for (const Part& part : partsOf(rect)) {
            Piece& piece = pieces_[part.piece];
            copyInto(piece.seen, part.rect.topLeft() - piece.rect.topLeft(), pixels,
                     part.rect.translated(-rect.topLeft()));
        }
    });
}

void CoveredPixels::readDesktopPicture(const QRegion& region) {
    grab(desktop_.pixmap, QPoint(), desktop_.depth, partsOf(region), [&](const Part& part, const QImage& pixels) {
        if (pixels.isNull()) return;
        Piece& piece = pieces_[part.piece];
        copyInto(piece.seen, part.rect.topLeft() - piece.rect.topLeft(), pixels);
    });
}

void CoveredPixels::fillSeen(const QRegion& region, QRgb colour) {
    for (const Part& part : partsOf(region))
        fillInto(pieces_[part.piece].seen, part.rect.translated(-pieces_[part.piece].rect.topLeft()), colour);
}

// Where no window lies and none of ours lay lately, far from them all: the
// widest such rectangle.
std::optional<QRect> CoveredPixels::bareRect() {
    QRegion bare = rootArea(connection_);
    for (const TopLevel& window : topLevelStack(connection_)) bare -= window.shape;
    bare -= region_;
    const QList<QRect> rects(bare.begin(), bare.end());
    const auto widest = std::max_element(rects.begin(), rects.end(), [](const QRect& one, const QRect& other) {
        return qint64(one.width()) * one.height() < qint64(other.width()) * other.height();
    });
    if (widest == rects.end()) return std::nullopt;
    return *widest;
}

// A compositing manager may paint the desktop picture or not (KWin paints
// none of its own accord): it is taken to where the screen shows it in the
// middle of the bare rectangle.
bool CoveredPixels::desktopPictureShown() {
    if (desktop_.pixmap == XCB_PIXMAP_NONE || desktop_.rect.isEmpty()) return false;
    if (desktop_.shown) return *desktop_.shown;
    desktop_.shown = false;
    const std::optional<QRect> bare = bareRect();
    if (!bare) return false;
    QRect spot(QPoint(), QSize(desktopSpot, desktopSpot));
    spot.moveCenter(bare->center());
    spot &= *bare & desktop_.rect;
    if (spot.isEmpty()) return false;
    QImage screen;
    QImage picture;
    grabber_.grabParts({{connection_.root(), spot}}, connection_.screen()->root_depth,
                       [&](qsizetype, const QImage& pixels) { screen = pixels.copy(); });
    grabber_.grabParts({{desktop_.pixmap, spot}}, desktop_.depth,
                       [&](qsizetype, const QImage& pixels) { picture = pixels.copy(); });
    desktop_.shown = alike(screen, picture);
    return *desktop_.shown;
}

// A compositing manager paints a desktop of its own where nothing lies: the
// desktop picture, or one colour (picom's and xcompmgr's mid grey, xfwm4's
// and KWin's black), never the root's background. Nor could that be read:
// the manager redirects every window by hand, which the server takes for
// see-through, so a stand-in's pixmap keeps the copy of the screen it was
// made with, our windows included. The colour is read in the middle of the
// bare rectangle.
QRgb CoveredPixels::managerDesktop() {
    QRgb colour = black;
    const std::optional<QRect> bare = bareRect();
    if (!bare) return colour;
    grabber_.grabParts({{connection_.root(), QRect(bare->center(), QSize(1, 1))}}, connection_.screen()->root_depth,
                       [&](qsizetype, const QImage& pixels) {
                           if (!pixels.isNull()) colour = pixels.pixel(0, 0) | black;
                       });
    return colour;
}

void CoveredPixels::paintWindow(const TopLevel& window, const QRegion& shown, bool laidOver) {
    const std::vector<Part> parts = partsOf(shown);
    if (parts.empty()) return;
    xcb_connection_t* c = connection_.get();
    // Named anew at every read: a resize gives the window a new pixmap.
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_composite_name_window_pixmap(c, window.id, pixmap);
    read(pixmap, window.outer.topLeft(), window.depth, parts, laidOver);
    xcb_free_pixmap(c, pixmap);
}

void CoveredPixels::grab(xcb_drawable_t drawable, QPoint origin, int depth, const std::vector<Part>& parts,
                         const std::function<void(const Part&, const QImage&)>& take) {
    if (parts.empty()) return;
    QList<ImageGrabber::Part> areas;
    areas.reserve(qsizetype(parts.size()));
    for (const Part& part : parts) areas.append({drawable, part.rect.translated(-origin)});
    grabber_.grabParts(areas, depth,
                       [&](qsizetype index, const QImage& pixels) { take(parts[size_t(index)], pixels); });
}

void CoveredPixels::read(xcb_drawable_t drawable, QPoint origin, int depth, const std::vector<Part>& parts,
                         bool blend) {
    grab(drawable, origin, depth, parts, [&](const Part& part, const QImage& pixels) {
        if (pixels.isNull()) {
            // Tried again at the next picture.
            stale_ += part.rect;
            return;
        }
        Piece& piece = pieces_[part.piece];
        const QPoint at = part.rect.topLeft() - piece.rect.topLeft();
        if (blend) QPainter(&piece.pixels).drawImage(at, pixels);
        else copyInto(piece.pixels, at, pixels);
        // The server shows an alpha channel's colours alone.
        if (!blend && depth == 32) makeOpaque(piece.pixels, QRect(at, pixels.size()));
    });
}

void CoveredPixels::paint(QImage& image, QPoint origin) const {
    for (const Piece& piece : pieces_) {
        const QRect place = piece.rect.translated(-origin);
        if (image.rect().contains(place)) copyInto(image, place.topLeft(), piece.pixels);
    }
}

}  // namespace tavero::x11
