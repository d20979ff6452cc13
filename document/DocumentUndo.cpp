#include "document/ShotDocument.h"

namespace tavero {

void ShotDocument::checkpoint() {
    ChangeScope scope(*this);
    textChangeGroup_.reset();
    if (image_.isNull()) return;
    undoStack_.append(snapshot());
    if (undoStack_.size() > undoLimit) undoStack_.removeFirst();
    redoStack_.clear();
    ++revision_;
}

void ShotDocument::undo() {
    ChangeScope scope(*this);
    step(undoStack_, redoStack_);
}

void ShotDocument::redo() {
    ChangeScope scope(*this);
    step(redoStack_, undoStack_);
}

// Undo and redo are one move: the newest snapshot of `from` becomes the
// document, and the document as it was goes onto `to`.
void ShotDocument::step(QList<DocumentSnapshot>& from, QList<DocumentSnapshot>& to) {
    endTextInput(false);
    textChangeGroup_.reset();
    textInsertionPoint_.reset();
    if (image_.isNull() || from.isEmpty()) return;
    const DocumentSnapshot target = from.takeLast();
    to.append(snapshot());
    image_ = target.image;
    marks_ = target.marks;
    // Through select, so a restored text label shows its own text, size and ink.
    select(target.selected);
    ++revision_;
}

void ShotDocument::checkpointTextChange(GroupedProperty property, const QUuid& id) {
    if (textChangeGroup_ && textChangeGroup_->id == id && textChangeGroup_->property == property) return;
    checkpoint();
    textChangeGroup_ = TextChangeGroup{id, property};
}

void ShotDocument::finishTextEditing() {
    ChangeScope scope(*this);
    textChangeGroup_.reset();
}

}  // namespace tavero
