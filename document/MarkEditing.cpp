#include "document/ShotDocument.h"

#include <algorithm>

namespace tavero {

namespace {
// The settings a pixelate mark without its own is drawn with: pixel blocks
// four times its line width, at least 12.
ObscureSettings legacyCover(const Mark& mark) {
    return {ObscureStyle::pixel, std::max(mark.width * 4, 12.0), 0.28};
}
}  // namespace

qsizetype ShotDocument::pointsLeft() const { return markLimits::maxProjectPoints - pointCount(marks_); }

double ShotDocument::strokeLengthLeft() const { return markLimits::maxProjectStrokeLength - strokeLength(marks_); }

std::optional<EditLimit> ShotDocument::limitFor(const Mark& mark) const {
    if (marks_.size() >= markLimits::maxMarks) return EditLimit::marks;
    if (mark.points.size() > markLimits::maxPoints) return EditLimit::strokePoints;
    if (mark.points.size() > pointsLeft()) return EditLimit::projectPoints;
    if (!(strokeLength({mark}) <= strokeLengthLeft())) return EditLimit::strokeLength;
    const qsizetype text = textLength({mark});
    if (text > markLimits::maxTextLength) return EditLimit::labelLength;
    if (text > markLimits::maxProjectTextLength - textLength(marks_)) return EditLimit::projectText;
    return std::nullopt;
}

bool ShotDocument::hasRoomFor(const Mark& mark) {
    const std::optional<EditLimit> limit = limitFor(mark);
    if (limit) reportLimit(*limit);
    return !limit;
}

ShotDocument::TextRoom ShotDocument::textRoom() const {
    const std::optional<Mark> label = selectedText();
    const qsizetype others = textLength(marks_) - (label ? label->text.size() : 0);
    const qsizetype projectRoom = markLimits::maxProjectTextLength - others;
    if (projectRoom < markLimits::maxTextLength) return {std::max<qsizetype>(projectRoom, 0), EditLimit::projectText};
    return {markLimits::maxTextLength, EditLimit::labelLength};
}

void ShotDocument::add(const Mark& mark) {
    ChangeScope scope(*this);
    if (!hasRoomFor(mark)) return;
    checkpoint();
    marks_.append(mark);
    // Text is the labels' and the counters'; no other mark keeps any.
    if (!showsText(mark.tool)) marks_.last().text.clear();
    select(mark.id);
}

void ShotDocument::select(const std::optional<QUuid>& id) {
    ChangeScope scope(*this);
    if (isEditingText_) endTextInput(false);
    textChangeGroup_.reset();
    textInsertionPoint_.reset();
    selected_ = id;
    loadSelectedText();
}

void ShotDocument::choose(MarkTool tool) {
    ChangeScope scope(*this);
    if (isEditingText_) endTextInput(false);
    textChangeGroup_.reset();
    textInsertionPoint_.reset();
    tool_ = tool;
    loadSelectedText();
    if (tool != MarkTool::pixelate) return;
    const Mark* mark = selectedMark();
    if (mark && mark->tool == MarkTool::pixelate) obscureSettings_ = mark->obscure.value_or(legacyCover(*mark));
}

void ShotDocument::deleteSelected() {
    ChangeScope scope(*this);
    if (!selected_) return;
    checkpoint();
    const QUuid id = *selected_;
    marks_.removeIf([&](const Mark& mark) { return mark.id == id; });
    select(std::nullopt);
    text_.clear();
}

void ShotDocument::replace(const QImage& image) {
    ChangeScope scope(*this);
    checkpoint();
    image_ = image;
    marks_.clear();
    select(std::nullopt);
    text_.clear();
    ++revision_;
}

void ShotDocument::changeInk(const Ink& ink) {
    ChangeScope scope(*this);
    ink_ = ink;
    const std::optional<Mark> label = selectedText();
    if (!label || label->ink == ink) return;
    checkpoint();
    if (Mark* mark = findMark(label->id)) mark->ink = ink;
    ++revision_;
}

void ShotDocument::changeFontSize(double size) {
    ChangeScope scope(*this);
    fontSize_ = size;
    const std::optional<Mark> label = selectedText();
    if (!label || label->fontSize == size) return;
    checkpointTextChange(GroupedProperty::fontSize, label->id);
    if (Mark* mark = findMark(label->id)) mark->fontSize = size;
    ++revision_;
}

void ShotDocument::checkpointObscureChange() {
    ChangeScope scope(*this);
    const Mark* mark = selectedMark();
    if (mark && mark->tool == MarkTool::pixelate) checkpoint();
}

void ShotDocument::changeObscure(const ObscureSettings& settings, bool checkpoint) {
    ChangeScope scope(*this);
    obscureSettings_ = settings;
    const Mark* selectedCover = selectedMark();
    if (!selectedCover || selectedCover->tool != MarkTool::pixelate) return;
    const QUuid id = selectedCover->id;
    if (checkpoint) this->checkpoint();
    if (Mark* mark = findMark(id)) mark->obscure = settings;
    ++revision_;
}

}  // namespace tavero
