#include "platform/desktop/X11CoveredPixels.h"

#include "platform/desktop/X11ImageGrabber.h"

#include <QPainter>

#include <xcb/composite.h>

#include <algorithm>
#include <cstring>

namespace tavero::x11 {

namespace {

constexpr QRgb black = 0xff000000u;

// Copies `pixels` into `target` with its top-left corner at `at`; both hold
// four bytes a pixel.
void copyInto(QImage& target, QPoint at, const QImage& pixels) {
    const size_t bytes = size_t(pixels.width()) * 4;
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(target.scanLine(at.y() + y) + size_t(at.x()) * 4, pixels.constScanLine(y), bytes);
}

void fillInto(QImage& target, const QRect& rect, QRgb colour) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
        std::fill(row + rect.left(), row + rect.left() + rect.width(), colour);
    }
}

}  // namespace

CoveredPixels::CoveredPixels(Connection& connection, ImageGrabber& grabber)
    : connection_(connection), grabber_(grabber) {}

void CoveredPixels::cover(const QRegion& region) {
    if (region == region_) return;
    region_ = region;
    pieces_.clear();
    for (const QRect& rect : region_) pieces_.push_back({rect, QImage(rect.size(), QImage::Format_RGB32)});
    stale_ = region_;
}

void CoveredPixels::clear() {
    region_ = QRegion();
    pieces_.clear();
    stale_ = QRegion();
    beneath_.clear();
    desktopKnown_ = false;
    desktop_ = {};
}

void CoveredPixels::refresh(const QList<TopLevel>& beneath, const QHash<xcb_window_t, QRegion>& undrawn) {
    checkDesktop();
    if (beneath != beneath_) {
        beneath_ = beneath;
        stale_ = region_;
    }
    const QRegion stale = stale_;
    stale_ = QRegion();
    if (stale.isEmpty()) return;
    // Each window shows where no opaque window above it lies; windows with
    // an alpha channel are laid over what lies beneath them.
    std::vector<QRegion> shown(size_t(beneath.size()));
    QRegion hidden;
    for (qsizetype index = beneath.size() - 1; index >= 0; --index) {
        shown[size_t(index)] = (stale & beneath[index].shape).subtracted(hidden);
        if (beneath[index].depth != 32) hidden += beneath[index].shape;
    }
    paintDesktop(stale.subtracted(hidden));
    for (qsizetype index = 0; index < beneath.size(); ++index) {
        const QRegion blank = shown[size_t(index)] & undrawn.value(beneath[index].id);
        paintWindow(beneath[index], shown[size_t(index)].subtracted(blank));
        paintBlack(blank);
    }
}

void CoveredPixels::checkDesktop() {
    const xcb_pixmap_t pixmap =
        connection_.cardinal(connection_.root(), "_XROOTPMAP_ID", XCB_ATOM_PIXMAP).value_or(XCB_PIXMAP_NONE);
    if (desktopKnown_ && pixmap == desktop_.pixmap) return;
    desktopKnown_ = true;
    desktop_ = {pixmap, QRect(), 0};
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

// The root's background: the desktop's picture, else black.
void CoveredPixels::paintDesktop(const QRegion& shown) {
    paintBlack(shown);
    if (!desktop_.rect.isEmpty()) read(desktop_.pixmap, QPoint(), desktop_.depth, partsOf(shown & desktop_.rect), false);
}

void CoveredPixels::paintWindow(const TopLevel& window, const QRegion& shown) {
    const std::vector<Part> parts = partsOf(shown);
    if (parts.empty()) return;
    xcb_connection_t* c = connection_.get();
    // Named anew at every read: a resize gives the window a new pixmap.
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_composite_name_window_pixmap(c, window.id, pixmap);
    read(pixmap, window.outer.topLeft(), window.depth, parts, window.depth == 32);
    xcb_free_pixmap(c, pixmap);
}

void CoveredPixels::read(xcb_drawable_t drawable, QPoint origin, int depth, const std::vector<Part>& parts,
                         bool blend) {
    if (parts.empty()) return;
    QList<QRect> areas;
    areas.reserve(qsizetype(parts.size()));
    for (const Part& part : parts) areas.append(part.rect.translated(-origin));
    grabber_.grabParts(drawable, areas, depth, [&](qsizetype index, const QImage& pixels) {
        const Part& part = parts[size_t(index)];
        if (pixels.isNull()) {
            // Tried again at the next picture.
            stale_ += part.rect;
            return;
        }
        Piece& piece = pieces_[part.piece];
        const QPoint at = part.rect.topLeft() - piece.rect.topLeft();
        if (blend) QPainter(&piece.pixels).drawImage(at, pixels);
        else copyInto(piece.pixels, at, pixels);
    });
}

void CoveredPixels::paint(QImage& image, QPoint origin) const {
    for (const Piece& piece : pieces_) {
        const QRect place = piece.rect.translated(-origin);
        if (image.rect().contains(place)) copyInto(image, place.topLeft(), piece.pixels);
    }
}

}  // namespace tavero::x11
