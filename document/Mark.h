#pragma once

#include "document/Ink.h"
#include "document/MarkTool.h"
#include "document/ObscureSettings.h"
#include "platform/Json.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QUuid>

#include <optional>

namespace tavero {

// One annotation. Points are image pixels with a top-left origin: two for
// shapes, one for text and counters, many for the pen.
struct Mark {
    QUuid id = QUuid::createUuid();
    MarkTool tool = MarkTool::arrow;
    QList<QPointF> points;
    Ink ink = Ink::palette[0];
    double width = 8;
    // The text of a text mark, the number of a counter, empty otherwise.
    QString text;
    double fontSize = 34;
    // The cover settings of a pixelate mark; marks stored before covers had
    // settings carry none.
    std::optional<ObscureSettings> obscure;

    // The rectangle spanned by the first and the last point only.
    QRectF rect() const;

    friend bool operator==(const Mark&, const Mark&) = default;
};

// Keys in the stored order: "id", "tool", "points", "ink", "width", "text",
// "fontSize", and "obscure" only when the mark has cover settings.
json::Json toJson(const Mark& mark);
// Requires every key but "obscure"; ignores unknown keys. Throws json::DecodeError.
Mark markFromJson(const json::Json& value);

}  // namespace tavero
