#pragma once

#include "document/Mark.h"

#include <QImage>
#include <QList>
#include <QUuid>

#include <optional>

namespace tavero {

// One step of the undo history: everything an edit can change. The image is
// shared with the document (QImage is implicitly shared), so taking a
// snapshot copies the list of marks but never a pixel.
struct DocumentSnapshot {
    QImage image;
    QList<Mark> marks;
    std::optional<QUuid> selected;
};

}  // namespace tavero
