#include "platform/desktop/X11Windows.h"

#include <xcb/shape.h>

#include <algorithm>
#include <queue>
#include <vector>

namespace tavero::x11 {

namespace {

// Layers in the spirit of the other platform's window levels: ordinary
// windows are 0, only their order matters for picking.
constexpr int belowLayer = -1;
constexpr int aboveLayer = 3;
constexpr int dockLayer = 20;
constexpr int popupLayer = 101;

struct Attributes {
    bool viewable = false;
    bool overrideRedirect = false;
};

Attributes attributesOf(Connection& connection, xcb_window_t window) {
    auto reply = take(xcb_get_window_attributes_reply(
        connection.get(), xcb_get_window_attributes(connection.get(), window), nullptr));
    if (!reply || reply->_class == XCB_WINDOW_CLASS_INPUT_ONLY) return {};
    return {reply->map_state == XCB_MAP_STATE_VIEWABLE, bool(reply->override_redirect)};
}

std::optional<QRect> rootGeometry(Connection& connection, xcb_window_t window) {
    auto geometry = take(xcb_get_geometry_reply(connection.get(), xcb_get_geometry(connection.get(), window), nullptr));
    if (!geometry) return std::nullopt;
    auto origin = take(xcb_translate_coordinates_reply(
        connection.get(), xcb_translate_coordinates(connection.get(), window, connection.root(), 0, 0), nullptr));
    if (!origin) return std::nullopt;
    const int border = geometry->border_width;
    return QRect(origin->dst_x - border, origin->dst_y - border, geometry->width + 2 * border,
                 geometry->height + 2 * border);
}


bool hasWmState(Connection& connection, xcb_window_t window) {
    const xcb_atom_t wmState = connection.atom("WM_STATE");
    return !connection.cardinals(window, "WM_STATE", wmState).isEmpty();
}

// Inside a frame of a window manager without EWMH, the application's window
// is the descendant that carries WM_STATE.
xcb_window_t clientWithin(Connection& connection, xcb_window_t topLevel) {
    if (hasWmState(connection, topLevel)) return topLevel;
    std::queue<std::pair<xcb_window_t, int>> pending;
    pending.push({topLevel, 0});
    while (!pending.empty()) {
        const auto [window, depth] = pending.front();
        pending.pop();
        if (depth >= 3) continue;
        for (xcb_window_t child : childrenOf(connection, window)) {
            if (hasWmState(connection, child)) return child;
            pending.push({child, depth + 1});
        }
    }
    return topLevel;
}

int layerOf(Connection& connection, xcb_window_t client, bool overrideRedirect) {
    if (overrideRedirect) return popupLayer;
    const QList<xcb_atom_t> types = connection.atoms(client, "_NET_WM_WINDOW_TYPE");
    const auto isType = [&](const char* name) { return types.contains(connection.atom(name)); };
    if (isType("_NET_WM_WINDOW_TYPE_DOCK")) return dockLayer;
    for (const char* popup : {"_NET_WM_WINDOW_TYPE_MENU", "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
                              "_NET_WM_WINDOW_TYPE_POPUP_MENU", "_NET_WM_WINDOW_TYPE_TOOLTIP",
                              "_NET_WM_WINDOW_TYPE_NOTIFICATION"})
        if (isType(popup)) return popupLayer;
    const QList<xcb_atom_t> states = connection.atoms(client, "_NET_WM_STATE");
    if (states.contains(connection.atom("_NET_WM_STATE_ABOVE"))) return aboveLayer;
    if (states.contains(connection.atom("_NET_WM_STATE_BELOW"))) return belowLayer;
    return 0;
}

bool isDesktopOrHidden(Connection& connection, xcb_window_t client) {
    const QList<xcb_atom_t> types = connection.atoms(client, "_NET_WM_WINDOW_TYPE");
    if (types.contains(connection.atom("_NET_WM_WINDOW_TYPE_DESKTOP"))) return true;
    return connection.atoms(client, "_NET_WM_STATE").contains(connection.atom("_NET_WM_STATE_HIDDEN"));
}

QString titleOf(Connection& connection, xcb_window_t client) {
    const QString title = connection.text(client, "_NET_WM_NAME");
    return title.isEmpty() ? connection.text(client, "WM_NAME") : title;
}

// WM_CLASS holds two NUL-terminated names, the instance and the class; the
// class names the program ("Firefox", "Gimp").
std::optional<QString> applicationNameOf(Connection& connection, xcb_window_t client) {
    const QStringList names = connection.text(client, "WM_CLASS").split(QChar(0), Qt::SkipEmptyParts);
    if (names.isEmpty()) return std::nullopt;
    return names.last();
}

// Frame extents the window manager draws around a client: left, right, top, bottom.
QRect withFrameExtents(Connection& connection, xcb_window_t client, QRect rect) {
    const QList<quint32> extents = connection.cardinals(client, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    if (extents.size() != 4) return rect;
    return rect.adjusted(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]));
}

std::optional<WindowInfo> describe(Connection& connection, xcb_window_t window, bool managed) {
    const Attributes attributes = attributesOf(connection, window);
    if (!attributes.viewable) return std::nullopt;
    const xcb_window_t client = managed ? window : clientWithin(connection, window);
    if (isDesktopOrHidden(connection, client)) return std::nullopt;
    const std::optional<QRect> rect = rootGeometry(connection, window);
    if (!rect || rect->isEmpty()) return std::nullopt;
    WindowInfo info;
    info.id = client;
    info.frame = managed ? withFrameExtents(connection, client, *rect) : *rect;
    if (auto pid = connection.cardinal(client, "_NET_WM_PID", XCB_ATOM_CARDINAL); pid && *pid > 0)
        info.processID = qint64(*pid);
    info.layer = layerOf(connection, client, attributes.overrideRedirect);
    info.title = titleOf(connection, client);
    info.applicationName = applicationNameOf(connection, client);
    return info;
}

}  // namespace

QList<WindowInfo> listWindows(Connection& connection) {
    connection.check();
    QList<xcb_window_t> stack = connection.cardinals(connection.root(), "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
    const bool managed = !stack.isEmpty();
    if (!managed) stack = childrenOf(connection, connection.root());
    // Both lists run bottom to top.
    std::reverse(stack.begin(), stack.end());
    QList<WindowInfo> windows;
    for (xcb_window_t window : stack)
        if (auto info = describe(connection, window, managed)) windows.append(*info);
    connection.check();
    return windows;
}

std::optional<QRect> windowFrame(Connection& connection, xcb_window_t client) {
    if (!connection.cardinals(connection.root(), "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW).isEmpty()) {
        const std::optional<QRect> rect = rootGeometry(connection, client);
        return rect ? std::optional(withFrameExtents(connection, client, *rect)) : std::nullopt;
    }
    const std::optional<xcb_window_t> topLevel = topLevelOf(connection, client);
    return topLevel ? rootGeometry(connection, *topLevel) : std::nullopt;
}

std::optional<qint64> activeProcess(Connection& connection) {
    std::optional<quint32> active = connection.cardinal(connection.root(), "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    if (!active || *active == XCB_WINDOW_NONE) {
        auto focus = take(xcb_get_input_focus_reply(connection.get(), xcb_get_input_focus(connection.get()), nullptr));
        if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
            focus->focus == connection.root())
            return std::nullopt;
        const std::optional<xcb_window_t> topLevel = topLevelOf(connection, focus->focus);
        if (!topLevel) return std::nullopt;
        active = clientWithin(connection, *topLevel);
    }
    const std::optional<quint32> pid = connection.cardinal(*active, "_NET_WM_PID", XCB_ATOM_CARDINAL);
    if (!pid || *pid == 0) return std::nullopt;
    return qint64(*pid);
}

void activateProcess(Connection& connection, qint64 processID) {
    const QList<WindowInfo> windows = listWindows(connection);
    const auto owned = std::find_if(windows.begin(), windows.end(),
                                    [&](const WindowInfo& window) { return window.processID == processID; });
    if (owned == windows.end()) return;
    xcb_connection_t* c = connection.get();
    const xcb_window_t client = owned->id;
    if (connection.cardinal(connection.root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW)) {
        // Source 2 says a pager asks, which window managers never refuse.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = client;
        message.type = connection.atom("_NET_ACTIVE_WINDOW");
        message.data.data32[0] = 2;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, connection.root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    } else if (const std::optional<xcb_window_t> topLevel = topLevelOf(connection, client)) {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c, *topLevel, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, client, XCB_CURRENT_TIME);
    }
    xcb_flush(c);
}

QList<xcb_window_t> childrenOf(Connection& connection, xcb_window_t window) {
    QList<xcb_window_t> children;
    auto tree = take(xcb_query_tree_reply(connection.get(), xcb_query_tree(connection.get(), window), nullptr));
    if (!tree) return children;
    const xcb_window_t* data = xcb_query_tree_children(tree.get());
    children = QList<xcb_window_t>(data, data + xcb_query_tree_children_length(tree.get()));
    return children;
}

QList<TopLevel> topLevelStack(Connection& connection) {
    xcb_connection_t* c = connection.get();
    const QList<xcb_window_t> children = childrenOf(connection, connection.root());
    std::vector<std::pair<xcb_get_window_attributes_cookie_t, xcb_get_geometry_cookie_t>> asked;
    asked.reserve(size_t(children.size()));
    for (xcb_window_t child : children)
        asked.emplace_back(xcb_get_window_attributes(c, child), xcb_get_geometry(c, child));
    QList<TopLevel> stack;
    for (qsizetype index = 0; index < children.size(); ++index) {
        auto attributes = take(xcb_get_window_attributes_reply(c, asked[size_t(index)].first, nullptr));
        auto geometry = take(xcb_get_geometry_reply(c, asked[size_t(index)].second, nullptr));
        if (!attributes || !geometry || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT)
            continue;
        const int border = geometry->border_width;
        stack.append({children[index],
                      QRect(geometry->x, geometry->y, geometry->width + 2 * border, geometry->height + 2 * border),
                      QPoint(geometry->x + border, geometry->y + border), geometry->depth, QRegion()});
    }
    const QList<QRegion> shapes = boundingShapes(connection, stack);
    for (qsizetype index = 0; index < stack.size(); ++index) stack[index].shape = shapes[index];
    return stack;
}

QList<QRegion> boundingShapes(Connection& connection, const QList<TopLevel>& windows) {
    QList<xcb_window_t> ids;
    ids.reserve(windows.size());
    for (const TopLevel& window : windows) ids.append(window.id);
    return readBoundingShapes(connection, askBoundingShapes(connection, ids), windows);
}

ShapesAsked askBoundingShapes(Connection& connection, const QList<xcb_window_t>& windows) {
    ShapesAsked asked;
    if (!connection.has(&xcb_shape_id)) return asked;
    asked.reserve(size_t(windows.size()));
    for (xcb_window_t window : windows)
        asked.push_back(xcb_shape_get_rectangles(connection.get(), window, XCB_SHAPE_SK_BOUNDING));
    return asked;
}

QList<QRegion> readBoundingShapes(Connection& connection, const ShapesAsked& asked, const QList<TopLevel>& places) {
    QList<QRegion> shapes;
    shapes.reserve(places.size());
    for (qsizetype index = 0; index < places.size(); ++index) {
        auto reply = size_t(index) < asked.size()
                         ? take(xcb_shape_get_rectangles_reply(connection.get(), asked[size_t(index)], nullptr))
                         : nullptr;
        if (!reply) {
            shapes.append(QRegion(places[index].outer));
            continue;
        }
        // Relative to the window's inside; an unshaped window answers with
        // its outer rectangle.
        const xcb_rectangle_t* rectangles = xcb_shape_get_rectangles_rectangles(reply.get());
        QRegion shape;
        for (int rectangle = 0; rectangle < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++rectangle)
            shape += QRect(rectangles[rectangle].x, rectangles[rectangle].y, rectangles[rectangle].width,
                           rectangles[rectangle].height);
        shapes.append(shape.translated(places[index].origin));
    }
    return shapes;
}

std::optional<QRect> visibleFrame(Connection& connection, xcb_window_t topLevel) {
    const xcb_window_t client = clientWithin(connection, topLevel);
    const QList<quint32> extents =
        client == topLevel ? QList<quint32>() : connection.cardinals(client, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    const std::optional<QRect> rect = extents.size() == 4 ? rootGeometry(connection, client) : std::nullopt;
    if (!rect) return std::nullopt;
    return rect->adjusted(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]));
}

std::optional<xcb_window_t> topLevelOf(Connection& connection, xcb_window_t window) {
    while (true) {
        auto tree = take(xcb_query_tree_reply(connection.get(), xcb_query_tree(connection.get(), window), nullptr));
        if (!tree) return std::nullopt;
        if (tree->parent == connection.root() || tree->parent == XCB_WINDOW_NONE) return window;
        window = tree->parent;
    }
}

}  // namespace tavero::x11
