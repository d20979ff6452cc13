#include "document/ShotDocument.h"
#include "tests/document/DocumentFixtures.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

using namespace tavero;

// Every edit that would take the marks past a bound stops there, keeps what
// was made, says which bound once, and leaves marks a project holds. (The
// pen's points and length: CanvasViewTest.)
TEST(EditLimits, EachEditStopsAtItsBoundKeepsWhatWasMadeAndSaysSo) {
    const struct {
        const char* what;
        QList<Mark> before;
        std::function<void(ShotDocument&)> edit;
        EditLimit limit;
        qsizetype marksAdded;
        QString lastText;
    } bounds[] = {
        {"a counter past the marks", test::counters(markLimits::maxMarks),
         [](ShotDocument& d) { d.add(test::counters(1).first()); }, EditLimit::marks, 0, {}},
        {"a label past the marks", test::counters(markLimits::maxMarks),
         [](ShotDocument& d) { test::typeNewLabel(d, {30, 30}, QStringLiteral("多")); }, EditLimit::marks, 0, {}},
        {"a label of smiles past its length", {},
         [](ShotDocument& d) { test::typeNewLabel(d, {30, 30}, test::smilingText()); }, EditLimit::labelLength, 1,
         test::smilingText().left(4'999)},
        {"a label past the picture's text", test::labelsHolding(markLimits::maxProjectTextLength - 3),
         [](ShotDocument& d) { test::typeNewLabel(d, {30, 30}, QStringLiteral("文字标注")); }, EditLimit::projectText, 1,
         QStringLiteral("文字标")},
    };
    for (const auto& bound : bounds) {
        ShotDocument document;
        document.open(test::filledImage(400, 300), QStringLiteral("截图"), bound.before);
        QSignalSpy reached(&document, &ShotDocument::limitReached);
        bound.edit(document);
        ASSERT_EQ(reached.size(), 1) << bound.what;
        EXPECT_EQ(reached.first().first().value<EditLimit>(), bound.limit) << bound.what;
        ASSERT_EQ(document.marks().size(), bound.before.size() + bound.marksAdded) << bound.what;
        EXPECT_EQ(document.marks().mid(0, bound.before.size()), bound.before) << bound.what;
        if (bound.marksAdded) {
            EXPECT_EQ(document.marks().last().text, bound.lastText) << bound.what;
        }
        EXPECT_TRUE(withinProjectLimits(document.marks())) << bound.what;
    }
}

// A label is cut between two characters, however they are encoded.
TEST(EditLimits, ALabelIsCutBetweenCharactersNeverInsideOne) {
    const QString e = QStringLiteral("e\u0301");   // e and its accent
    const QString flag = QStringLiteral("🇨🇳");   // two regional indicators, two surrogate pairs each
    const struct {
        QString text;
        qsizetype length;
        QString cut;
    } cuts[] = {
        {QStringLiteral("a😀"), 2, QStringLiteral("a")},
        {QStringLiteral("a😀"), 3, QStringLiteral("a😀")},
        {QStringLiteral("x") + e, 2, QStringLiteral("x")},
        {QStringLiteral("x") + flag, 4, QStringLiteral("x")},
        {QStringLiteral("中文"), 1, QStringLiteral("中")},
        {QStringLiteral("😀"), 1, QString()},
    };
    for (const auto& cut : cuts) EXPECT_EQ(cutText(cut.text, cut.length), cut.cut) << cut.text.toStdString();
}
