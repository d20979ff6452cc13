#include "document/ShotDocument.h"

namespace tavero {

ShotDocument::ShotDocument(QObject* parent) : QObject(parent) {}

std::optional<Mark> ShotDocument::selectedText() const {
    if (tool_ != MarkTool::text && tool_ != MarkTool::move) return std::nullopt;
    const Mark* mark = selectedMark();
    if (!mark || mark->tool != MarkTool::text) return std::nullopt;
    return *mark;
}

void ShotDocument::setZoom(double zoom) {
    ChangeScope scope(*this);
    zoom_ = zoom;
}

void ShotDocument::setActualPixels(bool actualPixels) {
    ChangeScope scope(*this);
    actualPixels_ = actualPixels;
}

void ShotDocument::setLineWidth(double width) {
    ChangeScope scope(*this);
    lineWidth_ = width;
}

void ShotDocument::setMarkPoints(const QUuid& id, const QList<QPointF>& points) {
    ChangeScope scope(*this);
    if (Mark* mark = findMark(id)) mark->points = points;
}

void ShotDocument::open(const QImage& image, const QString& name, const QList<Mark>& marks) {
    ChangeScope scope(*this);
    image_ = image;
    name_ = name;
    marks_ = marks;
    selected_.reset();
    text_.clear();
    textInsertionPoint_.reset();
    // A running text session belongs to the old content: dropped, not restored.
    textInputSnapshot_.reset();
    isEditingText_ = false;
    textChangeGroup_.reset();
    undoStack_.clear();
    redoStack_.clear();
    zoom_ = 1.0;
    actualPixels_ = false;
    ++revision_;
    contentID_ = QUuid::createUuid();
}

DocumentSnapshot ShotDocument::snapshot() const { return {image_, marks_, selected_}; }

Mark* ShotDocument::findMark(const QUuid& id) {
    for (Mark& mark : marks_)
        if (mark.id == id) return &mark;
    return nullptr;
}

const Mark* ShotDocument::selectedMark() const {
    if (!selected_) return nullptr;
    for (const Mark& mark : marks_)
        if (mark.id == *selected_) return &mark;
    return nullptr;
}

void ShotDocument::loadSelectedText() {
    const std::optional<Mark> label = selectedText();
    if (!label) return;
    text_ = label->text;
    fontSize_ = label->fontSize;
    ink_ = label->ink;
}

}  // namespace tavero
