#include "document/ImageOps.h"
#include "document/LabelSizes.h"
#include "tests/document/DocumentFixtures.h"
#include "tests/document/MarkFixtures.h"

#include <gtest/gtest.h>

using namespace tavero;
using test::textLabel;

namespace {

// Labels of different texts, each its own storage as a project read from a file holds them.
QList<Mark> labels(int count, double fontSize = 30) {
    QList<Mark> made;
    for (int index = 0; index < count; ++index)
        made.append(textLabel(QStringLiteral("第%1个标签\n第二行").arg(index), fontSize));
    return made;
}

}  // namespace

TEST(LabelSizes, EachTextIsMeasuredOnceAtEachFontSize) {
    LabelSizes sizes;
    Mark label = textLabel(QStringLiteral("第一行\n第二行更长一些"), 40);
    Mark sameId = label;
    sameId.text = QStringLiteral("同一个编号");
    const qint64 before = LabelSizes::textsMeasured();
    for (int round = 0; round < 3; ++round) {
        sizes.size(Mark(label));  // a copy, as undo steps and layers hold it
        sizes.size(sameId);
    }
    label.fontSize = 20;
    const QSizeF smaller = sizes.size(label);
    label.fontSize = 40;  // as undo brings it back
    sizes.size(label);
    EXPECT_EQ(LabelSizes::textsMeasured() - before, 3) << "a label sharing an id displaces nothing";
    EXPECT_EQ(smaller, LabelSizes::measureText(label.text, 20));
    EXPECT_EQ(sizes.size(textLabel(QString(), 40)), QSizeF()) << "no text takes no room";
}

// The size hit tests and outlines take for a label, against the pixels the
// renderer inks for it: they lie within it, and fill most of its width.
TEST(LabelSizes, ASizeHoldsTheTextAsItIsDrawn) {
    const struct {
        QString text;
        double fontSize;
    } labels[] = {
        {QStringLiteral("Hello"), 34},
        {QStringLiteral("第一行\n第二行更长一些"), 40},
        {QStringLiteral("WWWW\nii"), 100},
        {QStringLiteral("中文 and English"), 12},
        {QStringLiteral("MMM\n\n\nM"), 64},
    };
    const QPointF anchor(30, 40);
    const QImage blank = ImageOps::context(900, 700);
    for (const auto& label : labels) {
        Mark mark = textLabel(label.text, label.fontSize, Ink::palette[5]);
        mark.points = {anchor, anchor};
        LabelSizes sizes;
        const QSizeF size = sizes.size(mark);
        const QRect inked = test::changedArea(ImageOps::render(blank, {mark}), blank);
        const double slack = 1 + label.fontSize * 0.03;  // antialiasing, a glyph's overhang
        const QRectF box = QRectF(anchor, size).adjusted(-slack, -slack, slack, slack);
        const std::string what = label.text.toStdString();
        EXPECT_TRUE(box.contains(QRectF(inked))) << what;
        EXPECT_GT(inked.width(), size.width() * 0.8) << what;
        EXPECT_GT(inked.bottom(), anchor.y() + size.height() * 0.5) << what << ": the last line is drawn in the lower half";
    }
}

TEST(LabelSizes, LabelsMeasuredTogetherMeasureAsEachAlone) {
    LabelSizes sizes;
    const QList<Mark> marks = labels(200);
    sizes.measure(marks);
    const qint64 before = LabelSizes::textsMeasured();
    for (const Mark& mark : marks) ASSERT_EQ(sizes.size(mark), LabelSizes::measureText(mark.text, 30));
    EXPECT_EQ(LabelSizes::textsMeasured() - before, 200) << "only the comparisons measure";
}

TEST(LabelSizes, TextsNothingElseHoldsAreLetGo) {
    LabelSizes sizes;
    sizes.measure(labels(100));
    EXPECT_EQ(sizes.textCount(), 100) << "held until the next sweep";
    const Mark kept = textLabel(QStringLiteral("留下"), 40);
    sizes.size(kept);
    sizes.forgetUnheld();
    EXPECT_EQ(sizes.textCount(), 1);

    for (int index = 0; index < 5'000; ++index) sizes.size(textLabel(QString::number(index), 10));
    EXPECT_LE(sizes.textCount(), 1'025) << "labels gone are let go without being asked";
    const qint64 before = LabelSizes::textsMeasured();
    sizes.size(kept);
    EXPECT_EQ(LabelSizes::textsMeasured(), before) << "a label still held is kept";
}
