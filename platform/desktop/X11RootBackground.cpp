#include "platform/desktop/X11RootBackground.h"

#include "platform/desktop/X11ImageGrabber.h"

#include <xcb/composite.h>

#include <vector>

namespace tavero::x11 {

namespace {

// A stand-in covers the region's parts inside one cell of this grid: the
// recording border's ring, whose bounding rectangle is the whole screen,
// takes a few dozen thin ones rather than one as large as the screen.
constexpr int cell = 512;

int cellStart(int coordinate) { return coordinate - ((coordinate % cell) + cell) % cell; }

QList<QRegion> byCell(const QRegion& region) {
    QList<QRegion> groups;
    const QRect bounds = region.boundingRect();
    for (int y = cellStart(bounds.top()); y <= bounds.bottom(); y += cell)
        for (int x = cellStart(bounds.left()); x <= bounds.right(); x += cell)
            if (const QRegion inside = region & QRect(x, y, cell, cell); !inside.isEmpty()) groups.append(inside);
    return groups;
}

struct StandIn {
    xcb_window_t window = 0;
    xcb_pixmap_t pixmap = 0;
};

// Mapped at once: a redirected window's background is painted into its
// pixmap when it is mapped.
StandIn standInOver(Connection& connection, const QRect& place) {
    xcb_connection_t* c = connection.get();
    const StandIn standIn{xcb_generate_id(c), xcb_generate_id(c)};
    const uint32_t attributes[] = {XCB_BACK_PIXMAP_PARENT_RELATIVE, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, standIn.window, connection.root(), int16_t(place.x()),
                      int16_t(place.y()), uint16_t(place.width()), uint16_t(place.height()), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT, attributes);
    const uint32_t bottom = XCB_STACK_MODE_BELOW;
    xcb_configure_window(c, standIn.window, XCB_CONFIG_WINDOW_STACK_MODE, &bottom);
    xcb_composite_redirect_window(c, standIn.window, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    xcb_map_window(c, standIn.window);
    xcb_composite_name_window_pixmap(c, standIn.window, standIn.pixmap);
    return standIn;
}

}  // namespace

void readRootBackground(Connection& connection, ImageGrabber& grabber, const QRegion& region, const RegionSink& take) {
    if (region.isEmpty()) return;
    std::vector<StandIn> standIns;
    QList<ImageGrabber::Part> parts;
    QList<QRect> places;
    for (const QRegion& group : byCell(region)) {
        const QRect place = group.boundingRect();
        standIns.push_back(standInOver(connection, place));
        for (const QRect& part : group) {
            parts.append({standIns.back().pixmap, part.translated(-place.topLeft())});
            places.append(part);
        }
    }
    grabber.grabParts(parts, connection.screen()->root_depth,
                      [&](qsizetype index, const QImage& pixels) { take(places[index], pixels); });
    xcb_connection_t* c = connection.get();
    for (const StandIn& standIn : standIns) {
        xcb_free_pixmap(c, standIn.pixmap);
        xcb_destroy_window(c, standIn.window);
    }
    xcb_flush(c);
}

}  // namespace tavero::x11
