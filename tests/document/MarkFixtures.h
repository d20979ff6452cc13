#pragma once

#include "document/ImageOps.h"
#include "document/Mark.h"

#include <QColor>
#include <QImage>

// Small builders the image-operation tests share.
namespace tavero::test {

inline Mark makeMark(MarkTool tool, QList<QPointF> points, Ink ink = {0, 0, 0, 1}, double width = 8) {
    Mark mark;
    mark.tool = tool;
    mark.points = std::move(points);
    mark.ink = ink;
    mark.width = width;
    return mark;
}

inline Mark coverMark(const QRectF& rect, std::optional<ObscureSettings> settings, double width = 8) {
    Mark mark = makeMark(MarkTool::pixelate, {rect.topLeft(), rect.bottomRight()}, {0, 0, 0, 1}, width);
    mark.obscure = settings;
    return mark;
}

inline QImage filled(int width, int height, const QColor& color) {
    QImage image(width, height, ImageOps::surfaceFormat);
    image.fill(color);
    return image;
}

// The pixels of `a` and `b` differ somewhere inside `area`.
inline bool differsWithin(const QImage& a, const QImage& b, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return true;
    return false;
}

// The smallest rectangle holding every pixel where `a` and `b` differ.
inline QRect changedArea(const QImage& a, const QImage& b) {
    QRect area;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) area |= QRect(x, y, 1, 1);
    return area;
}

}  // namespace tavero::test
