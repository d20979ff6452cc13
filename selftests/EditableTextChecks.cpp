#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "library/EditableShot.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTestMarks.h"
#include "selftests/SelfTestRun.h"

namespace tavero::selftests {

namespace {

Mark label(const QString& text, QPointF at, const Ink& ink, double fontSize) {
    Mark mark;
    mark.tool = MarkTool::text;
    mark.points = {at, at};
    mark.ink = ink;
    mark.width = 5;
    mark.text = text;
    mark.fontSize = fontSize;
    return mark;
}

QString textOf(const ShotDocument& document, qsizetype index) {
    return index < document.marks().size() ? document.marks().at(index).text : QString();
}

bool selectedReads(const ShotDocument& document, const QString& text) {
    const auto selected = document.selectedText();
    return selected && selected->text == text;
}

bool startsAt(const std::optional<Mark>& mark, QPointF point) {
    return mark && !mark->points.isEmpty() && mark->points.first() == point;
}

std::optional<Mark> lastMark(const ShotDocument& document) {
    return document.marks().isEmpty() ? std::nullopt : std::optional<Mark>(document.marks().last());
}

QByteArray renderedPng(const ShotDocument& document) {
    return ImageOps::png(document.rendered(), QStringLiteral("png"));
}

// Typing into selected labels, with its undo steps and styles.
void checkEditingLabels(SelfTestRun& run, ShotDocument& document, const Mark& first, const Mark& second) {
    document.choose(MarkTool::text);
    document.add(first);
    document.add(second);
    document.select(first.id);
    run.check(document.text() == first.text && document.fontSize() == 34 && document.ink() == first.ink,
              QStringLiteral("selecting an existing label loads its text and style"));

    const QByteArray before = renderedPng(document);
    document.changeText(QStringLiteral("文字"));
    document.changeText(QStringLiteral("文字可以修改 AI 2026"));
    run.check(document.marks().size() == 2 && document.marks()[0].id == first.id &&
                  textOf(document, 0) == QStringLiteral("文字可以修改 AI 2026") && textOf(document, 1) == second.text,
              QStringLiteral("typing edits only the selected label without creating a duplicate"));
    run.check(renderedPng(document) != before, QStringLiteral("exported pixels reflect edited text"));

    document.undo();
    run.check(textOf(document, 0) == first.text && document.text() == first.text,
              QStringLiteral("one undo restores the label and its input after continuous typing"));
    document.redo();
    run.check(textOf(document, 0) == QStringLiteral("文字可以修改 AI 2026") &&
                  document.text() == QStringLiteral("文字可以修改 AI 2026"),
              QStringLiteral("redo restores edited text and sidebar together"));

    document.changeFontSize(44);
    document.changeFontSize(52);
    document.finishTextEditing();
    document.undo();
    run.check(document.marks()[0].fontSize == 34 && document.fontSize() == 34,
              QStringLiteral("undo groups continuous font size adjustments"));
    document.redo();
    document.changeInk(Ink::teal);
    run.check(document.marks()[0].fontSize == 52 && document.marks()[0].ink == Ink::teal,
              QStringLiteral("selected text changes size and color immediately"));
    document.undo();
    run.check(document.marks()[0].ink == Ink::palette[0] && document.ink() == Ink::palette[0],
              QStringLiteral("color changes remain separately undoable"));
    document.choose(MarkTool::arrow);
    document.changeInk(Ink::teal);
    run.check(document.marks()[0].ink == Ink::palette[0],
              QStringLiteral("changing another drawing tool does not restyle the text"));
}

// A label made by clicking, then typing.
void checkNewLabel(SelfTestRun& run, ShotDocument& document) {
    const QString twoLines = QStringLiteral("新文字\n第二行");
    document.newText();
    document.placeText(QPointF(20, 260));
    run.check(document.marks().size() == 2 && document.textInsertionPoint().has_value(),
              QStringLiteral("clicking an empty text position waits for content"));
    document.changeText(QStringLiteral("新"));
    document.changeText(twoLines);
    run.check(document.marks().size() == 3 && textOf(document, 2) == twoLines &&
                  startsAt(document.marks()[2], QPointF(20, 260)),
              QStringLiteral("click then type creates one multiline label at the chosen position"));
    document.undo();
    run.check(document.marks().size() == 2,
              QStringLiteral("one undo removes a newly typed label including its initial edits"));
    document.redo();
    run.check(selectedReads(document, twoLines), QStringLiteral("redo restores a new label as editable text"));
    document.changeText(QString());
    run.check(selectedReads(document, QString()) && document.marks().size() == 3,
              QStringLiteral("clearing text does not create another annotation or lose selection"));
    document.undo();
}

// Typing order, clicking away, switching tools and Escape on the reopened project.
void checkReopenedLabels(SelfTestRun& run, ShotDocument& reopened, const Mark& first) {
    const QString reedited = QStringLiteral("重新打开也能改");
    reopened.choose(MarkTool::move);
    reopened.select(first.id);
    reopened.changeText(reedited);
    run.check(selectedReads(reopened, reedited) && textOf(reopened, 2) == QStringLiteral("新文字\n第二行"),
              QStringLiteral("saved projects retain editable Chinese and multiline text"));

    reopened.newText();
    reopened.changeText(QStringLiteral("先输入再放置"));
    reopened.placeText(QPointF(10, 350));
    const auto placed = lastMark(reopened);
    run.check(placed && placed->text == QStringLiteral("先输入再放置") && startsAt(placed, QPointF(10, 350)),
              QStringLiteral("typing before placing text remains supported"));
    reopened.placeText(QPointF(10, 400));
    run.check(reopened.marks().size() == 4 && reopened.text().isEmpty(),
              QStringLiteral("clicking away from a selected text does not duplicate its old content"));
    reopened.choose(MarkTool::rectangle);
    reopened.changeText(QStringLiteral("new draft"));
    run.check(reopened.marks().size() == 4 && !reopened.textInsertionPoint(),
              QStringLiteral("switching tools cancels a pending text insertion"));

    reopened.choose(MarkTool::text);
    reopened.select(first.id);
    reopened.beginTextInput();
    reopened.changeText(QStringLiteral("尚未确认的修改"));
    reopened.endTextInput(true);
    run.check(selectedReads(reopened, reedited) && !reopened.isEditingText(),
              QStringLiteral("Escape cancels edits and restores the original label"));
    reopened.newText();
    reopened.placeText(QPointF(10, 420));
    reopened.beginTextInput();
    reopened.changeText(QStringLiteral("取消这条"));
    reopened.endTextInput(true);
    run.check(reopened.marks().size() == 4 && !reopened.textInsertionPoint(),
              QStringLiteral("Escape removes a newly typed draft without leaving an empty annotation"));
}

void checkCommittedEdits(SelfTestRun& run, ShotDocument& reopened, const Mark& first) {
    reopened.select(first.id);
    reopened.beginTextInput();
    reopened.changeText(QString());
    reopened.endTextInput(false);
    run.check(reopened.marks().size() == 3, QStringLiteral("committing an empty label removes it"));
    reopened.undo();
    run.check(selectedReads(reopened, QStringLiteral("重新打开也能改")),
              QStringLiteral("undo restores a label removed by clearing its text"));
    const QString written = QStringLiteral("鼠标点哪里，就在哪里写");
    reopened.beginTextInput();
    reopened.changeText(written);
    reopened.endTextInput(false);
    run.check(selectedReads(reopened, written) && !reopened.isEditingText(),
              QStringLiteral("finishing an inline edit preserves the committed annotation"));
}

EditableShot roundTrip(const EditableShot& project) { return decodeEditableShot(encodeEditableShot(project)); }

}  // namespace

void checkEditableText(SelfTestRun& run) {
    const QImage a = patternTop(run);
    const Mark first = label(QStringLiteral("重点在这里"), QPointF(12, 24), Ink::palette[0], 34);
    const Mark second = label(QStringLiteral("保留第二条"), QPointF(12, 150), Ink::teal, 26);

    ShotDocument document;
    document.open(a, QStringLiteral("editable text"));
    run.check(document.text().isEmpty(), QStringLiteral("new text uses an empty draft instead of a fixed annotation"));
    checkEditingLabels(run, document, first, second);
    checkNewLabel(run, document);

    const QByteArray png = ImageOps::png(a, QStringLiteral("png"));
    const EditableShot saved = roundTrip({1, png, document.marks()});
    ShotDocument reopened;
    reopened.open(a, QStringLiteral("reopened"), saved.marks);
    checkReopenedLabels(run, reopened, first);
    checkCommittedEdits(run, reopened, first);

    const EditableShot project = roundTrip({1, png, {redactionMark()}});
    run.check(project.marks.size() == 1 && project.png == png, QStringLiteral("editable project round trip"));
}

}  // namespace tavero::selftests
