#include "document/ui/CanvasTextEditor.h"
#include "tests/document/ui/CanvasFixture.h"

#include <QFocusEvent>
#include <QInputMethodEvent>

using namespace tavero;
using test::filledImage;
using test::textLabel;

namespace {

struct InlineText : test::CanvasTest {
    // A click with the text tool: the field opens there, empty.
    CanvasTextEditor* openFieldAt(QPointF imagePoint) {
        document.choose(MarkTool::text);
        click(imagePoint);
        return canvas.textEditor();
    }

    void compose(const QString& preedit) {
        QInputMethodEvent composing(preedit, {});
        QApplication::sendEvent(canvas.textEditor(), &composing);
    }

    void commit(const QString& text) {
        QInputMethodEvent committing;
        committing.setCommitString(text);
        QApplication::sendEvent(canvas.textEditor(), &committing);
    }

    bool editing() const { return document.isEditingText() && canvas.textEditor(); }
};

using Typing = InlineText;
using InputMethod = InlineText;
using Finishing = InlineText;
using Field = InlineText;

}  // namespace

TEST_F(Typing, ReturnConfirmsOneLabelAtTheClickedPoint) {
    CanvasTextEditor* field = openFieldAt({40, 60});
    ASSERT_TRUE(field);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_TRUE(document.marks().isEmpty()) << "nothing before the first character";

    type(field, QStringLiteral("新文字"));
    ASSERT_EQ(document.marks().size(), 1) << "every keystroke reaches the document";
    EXPECT_EQ(document.marks().first().text, QStringLiteral("新文字"));

    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(editing());
    ASSERT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.marks().first().points.first(), QPointF(40, 60));
    EXPECT_EQ(test::undoDepth(document), 1) << "one run of typing, one step";
}

TEST_F(Typing, ShiftReturnStartsANewLine) {
    CanvasTextEditor* field = openFieldAt({40, 60});
    type(field, QStringLiteral("新文字"));
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    type(field, QStringLiteral("第二行"));
    EXPECT_TRUE(editing()) << "Shift+Return does not finish";
    QTest::keyClick(field, Qt::Key_Enter);
    ASSERT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.marks().first().text, QStringLiteral("新文字\n第二行"));
}

TEST_F(Typing, EscapeRestoresAnEditedLabel) {
    const Mark label = textLabel(QStringLiteral("旧文字"));
    document.add(label);
    CanvasTextEditor* field = openFieldAt({25, 35});
    ASSERT_TRUE(field);
    EXPECT_EQ(field->textCursor().selectedText(), QStringLiteral("旧文字")) << "the whole text, ready to replace";
    type(field, QStringLiteral("新"));
    EXPECT_EQ(document.marks().first().text, QStringLiteral("新"));
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(document.marks(), QList<Mark>{label});
    EXPECT_EQ(document.text(), QStringLiteral("旧文字"));
}

TEST_F(Typing, TheFieldsOwnUndoStaysInTheField) {
    CanvasTextEditor* field = openFieldAt({40, 60});
    type(field, QStringLiteral("新文字"));
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(editing());
    EXPECT_EQ(field->toPlainText(), QString());
    ASSERT_EQ(document.marks().size(), 1) << "the label stays, emptied, while the session runs";
    EXPECT_EQ(document.marks().first().text, QString());
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(document.marks().isEmpty()) << "a label confirmed empty is removed";
}

TEST_F(Typing, TextPastedBeyondWhatALabelHoldsIsCutFromTheEnd) {
    CanvasTextEditor* field = openFieldAt({40, 60});
    const QString pasted = QStringLiteral("前") + QString(markLimits::maxTextLength, QLatin1Char('x'));
    field->insertPlainText(pasted);
    EXPECT_EQ(field->toPlainText(), pasted.left(markLimits::maxTextLength));
    ASSERT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.marks().first().text, pasted.left(markLimits::maxTextLength));
    type(field, QStringLiteral("后"));
    EXPECT_EQ(document.marks().first().text.size(), markLimits::maxTextLength) << "typing on adds nothing";
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(document.marks().first().text, pasted.left(markLimits::maxTextLength));
}

TEST_F(Typing, ADoubleClickOpensALabelWithTheMoveTool) {
    const Mark label = textLabel(QStringLiteral("旧文字"));
    document.add(label);
    document.choose(MarkTool::move);
    click({25, 35});
    EXPECT_FALSE(canvas.textEditor()) << "a single click only selects";
    EXPECT_EQ(document.selected(), label.id);

    QTest::mouseDClick(&canvas, Qt::LeftButton, {}, at({25, 35}));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, at({25, 35}));
    ASSERT_TRUE(canvas.textEditor());
    EXPECT_EQ(document.tool(), MarkTool::text);
    EXPECT_EQ(canvas.textEditor()->textCursor().selectedText(), QStringLiteral("旧文字"));
}

TEST_F(InputMethod, ACompositionReachesTheDocumentOnlyWhenCommitted) {
    CanvasTextEditor* field = openFieldAt({40, 60});
    compose(QStringLiteral("xin"));
    EXPECT_TRUE(field->hasMarkedText());
    EXPECT_TRUE(document.marks().isEmpty());
    EXPECT_EQ(document.text(), QString());

    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(editing()) << "Return and Escape belong to the input method while it composes";

    commit(QStringLiteral("新"));
    EXPECT_FALSE(field->hasMarkedText());
    ASSERT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.marks().first().text, QStringLiteral("新"));
}

TEST_F(InputMethod, FinishingCommitsAnOpenComposition) {
    openFieldAt({40, 60});
    commit(QStringLiteral("新"));
    compose(QStringLiteral("闻"));
    canvas.finishInlineText(false);
    ASSERT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.marks().first().text, QStringLiteral("新闻"));
}

TEST_F(Finishing, AClickElsewhereConfirmsAndStartsAnotherLabel) {
    CanvasTextEditor* field = openFieldAt({40, 60});
    type(field, QStringLiteral("新文字"));
    click({300, 200});
    ASSERT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.marks().first().text, QStringLiteral("新文字"));
    ASSERT_TRUE(canvas.textEditor()) << "the text tool opens a new field where clicked";
    EXPECT_TRUE(canvas.textEditor()->toPlainText().isEmpty());
    EXPECT_EQ(document.textInsertionPoint(), QPointF(300, 200));

    document.choose(MarkTool::rectangle);
    EXPECT_FALSE(canvas.textEditor()) << "the document ending the session closes the field";
    EXPECT_EQ(document.marks().size(), 1);
}

TEST_F(Finishing, MovingTheFocusConfirmsButWindowAndMenuChangesDoNot) {
    CanvasTextEditor* field = openFieldAt({40, 60});
    type(field, QStringLiteral("新"));

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_TRUE(editing()) << "another window became active";
    QFocusEvent menu(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(field, &menu);
    EXPECT_TRUE(editing()) << "a menu popped up";

    QApplication::setActiveWindow(&canvas);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&canvas));
    ASSERT_TRUE(field->hasFocus()) << "the focus comes back to the field";
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_FALSE(editing());
    EXPECT_EQ(document.marks().size(), 1);

    field = openFieldAt({200, 200});
    type(field, QStringLiteral("二"));
    field->clearFocus();
    EXPECT_FALSE(editing()) << "the focus taken away programmatically";
    EXPECT_EQ(document.marks().size(), 2);
}

TEST_F(Field, SitsOnTheLabelAndStaysInsideTheCanvas) {
    CanvasTextEditor* field = openFieldAt({40, 60});
    EXPECT_EQ(field->geometry().topLeft(), QPoint(136, 106)) << "4 points up and left of the text";
    EXPECT_GE(field->width(), 110) << "an empty field";

    field = openFieldAt({395, 290});
    EXPECT_LE(field->geometry().right() + 1, 600 - 4);
    EXPECT_LE(field->geometry().bottom() + 1, 400 - 4);
    EXPECT_GE(field->width(), 36);
    EXPECT_GE(field->height(), 28);
}

TEST_F(Field, TakesTheInkAndAFontOfAtLeastFourPoints) {
    document.changeInk(Ink::palette[6]);  // white
    CanvasTextEditor* field = openFieldAt({40, 60});
    EXPECT_LT(field->fieldBackground().lightnessF(), 0.2) << "a dark field for white ink";
    EXPECT_EQ(field->palette().color(QPalette::Text), Ink::palette[6].color());
    type(field, QStringLiteral("字"));
    const QImage pixels = field->viewport()->grab().toImage();
    EXPECT_EQ(pixels.pixelColor(field->cursorRect().left(), field->cursorRect().center().y()), QColor(Qt::white))
        << "the caret in the ink too";
    QTest::keyClick(field, Qt::Key_Escape);

    document.changeInk(Ink::palette[5]);  // near black
    document.open(filledImage(4000, 3000), QStringLiteral("大图"));
    document.changeFontSize(20);  // 20 × 0.117 is below 4 points
    field = openFieldAt({40, 60});
    EXPECT_GT(field->fieldBackground().lightnessF(), 0.9);
    EXPECT_NEAR(field->font().pointSizeF(), 4 * 72.0 / field->logicalDpiY(), 1e-9);
}
