#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <array>
#include <mutex>
#include <optional>

namespace tavero {

// The outline of the camera portrait laid over the screen.
enum class PortraitShape { circle, square, rectangle };

inline constexpr std::array<PortraitShape, 3> allPortraitShapes{PortraitShape::circle, PortraitShape::square,
                                                                 PortraitShape::rectangle};

// The shape's label, also its stored value: "圆形", "方形", "长方形".
QString rawValue(PortraitShape shape);
// Exactly one of the three labels; any other text is no shape.
std::optional<PortraitShape> portraitShapeFromRaw(const QString& raw);
// Width over height of the shape: 16/9 for the rectangle, 1 otherwise.
double aspectOf(PortraitShape shape);

// Where the camera portrait sits in the recorded frame. The centre is a
// fraction of the frame from its top-left corner; the width a fraction of
// the frame width, used within 0.12…0.5. A plain value, not persisted.
struct PortraitLayout {
    PortraitShape shape = PortraitShape::circle;
    double x = 0.83;
    double y = 0.78;
    double width = 0.23;
    // The camera fills the frame; shape, place and size are then ignored.
    bool fullScreen = false;
    // The camera picture is flipped left to right before it is placed.
    bool mirrored = true;

    friend bool operator==(const PortraitLayout&, const PortraitLayout&) = default;

    // The portrait inside a frame of `frame`, with the origin at the frame's
    // BOTTOM-left corner and y growing upwards. Whatever the centre holds,
    // the rectangle stays inside the frame (flush with an edge it was pushed
    // past); it is never taller than 65 % of the frame. fullScreen is not
    // read: callers decide about it.
    QRectF rect(const QSizeF& frame) const;
};

// The layout the user sees, handed from the main thread to the camera
// writer's thread: a reader always gets a whole layout. Any thread.
class PortraitState {
public:
    void set(const PortraitLayout& layout) {
        std::lock_guard guard(lock_);
        layout_ = layout;
    }
    PortraitLayout get() const {
        std::lock_guard guard(lock_);
        return layout_;
    }

private:
    mutable std::mutex lock_;
    PortraitLayout layout_;
};

}  // namespace tavero
