#include "document/ShotDocument.h"

namespace tavero {

namespace {
// Empty once white space and line breaks are taken off both ends.
bool isBlank(const QString& text) { return text.trimmed().isEmpty(); }
}  // namespace

void ShotDocument::newText() {
    ChangeScope scope(*this);
    if (isEditingText_) endTextInput(false);
    tool_ = MarkTool::text;
    select(std::nullopt);
    text_.clear();
}

void ShotDocument::placeText(const QPointF& point) {
    ChangeScope scope(*this);
    // A click beside a selected label starts a new one, never a copy of it.
    if (selectedText()) {
        select(std::nullopt);
        text_.clear();
    }
    if (isBlank(text_))
        textInsertionPoint_ = point;
    else
        add(newLabel(point, text_));
}

void ShotDocument::beginTextInput() {
    ChangeScope scope(*this);
    if (image_.isNull()) return;
    textChangeGroup_.reset();
    textInputSnapshot_ = TextInputSnapshot{snapshot(), text_, undoStack_, redoStack_};
    isEditingText_ = true;
}

void ShotDocument::changeText(const QString& typed) {
    ChangeScope scope(*this);
    const TextRoom room = textRoom();
    const QString text = cutText(typed, room.length);
    if (text.size() < typed.size()) reportLimit(room.limit);
    if (text == text_) return;
    text_ = text;
    if (const std::optional<Mark> label = selectedText(); label && findMark(label->id)) {
        checkpointTextChange(GroupedProperty::text, label->id);
        // Cleared text keeps the label while typing; confirming removes it.
        findMark(label->id)->text = text;
        ++revision_;
        return;
    }
    if (!textInsertionPoint_ || isBlank(text)) return;
    // The first visible character creates the label; the rest of the typing
    // joins the undo step recorded here.
    const Mark label = newLabel(*textInsertionPoint_, text);
    if (!hasRoomFor(label)) return;
    checkpoint();
    marks_.append(label);
    selected_ = label.id;
    textInsertionPoint_.reset();
    textChangeGroup_ = TextChangeGroup{label.id, GroupedProperty::text};
}

void ShotDocument::endTextInput(bool cancelled) {
    ChangeScope scope(*this);
    if (!isEditingText_) return;
    isEditingText_ = false;
    if (cancelled && textInputSnapshot_) {
        const TextInputSnapshot saved = *textInputSnapshot_;
        image_ = saved.document.image;
        marks_ = saved.document.marks;
        selected_ = saved.document.selected;
        text_ = saved.text;
        undoStack_ = saved.undo;
        redoStack_ = saved.redo;
        if (const std::optional<Mark> label = selectedText()) {
            fontSize_ = label->fontSize;
            ink_ = label->ink;
        }
        ++revision_;
    } else if (const std::optional<Mark> label = selectedText(); label && isBlank(label->text)) {
        // No undo step: the one recorded by the first change still holds the label.
        marks_.removeIf([&](const Mark& mark) { return mark.id == label->id; });
        selected_.reset();
        text_.clear();
        ++revision_;
    }
    textInputSnapshot_.reset();
    textInsertionPoint_.reset();
    textChangeGroup_.reset();
}

Mark ShotDocument::newLabel(const QPointF& anchor, const QString& text) const {
    Mark label;
    label.tool = MarkTool::text;
    label.points = {anchor, anchor};
    label.ink = ink_;
    label.width = lineWidth_;
    label.text = text;
    label.fontSize = fontSize_;
    return label;
}

}  // namespace tavero
