// A segmented picker as a screen reader meets it: radio buttons of which
// exactly one is checked, whose press or toggle chooses like a click.
#include "editor_ui/SegmentedPicker.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class SegmentedPickerTest : public testing::Test {
protected:
    QAccessibleInterface* reader(int index) { return QAccessible::queryAccessibleInterface(picker.segment(index)); }

    void act(int index, const QString& action) { reader(index)->actionInterface()->doAction(action); }

    QList<int> checked() {
        QList<int> indices;
        for (int index = 0; index < picker.count(); ++index)
            if (reader(index)->state().checked) indices.append(index);
        return indices;
    }

    SegmentedPicker picker{{QStringLiteral("窗口"), QStringLiteral("区域"), QStringLiteral("全屏")}};
    QSignalSpy picked{&picker, &SegmentedPicker::picked};
};

TEST_F(SegmentedPickerTest, EachSegmentIsANamedRadioButtonAndOneIsChecked) {
    for (int index = 0; index < picker.count(); ++index) {
        EXPECT_EQ(reader(index)->role(), QAccessible::RadioButton);
        EXPECT_TRUE(reader(index)->state().checkable);
    }
    EXPECT_EQ(reader(1)->text(QAccessible::Name), QStringLiteral("区域"));
    EXPECT_EQ(checked(), QList<int>{0});
    picker.showSelected(2);
    EXPECT_EQ(checked(), QList<int>{2});
    EXPECT_EQ(picked.count(), 0) << "showing is not choosing";
}

TEST_F(SegmentedPickerTest, PressAndToggleChooseASegmentAsAClickDoes) {
    const QStringList actions = reader(1)->actionInterface()->actionNames();
    EXPECT_TRUE(actions.contains(QAccessibleActionInterface::pressAction()));
    EXPECT_TRUE(actions.contains(QAccessibleActionInterface::toggleAction()));

    act(1, QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(picker.selected(), 1);
    EXPECT_EQ(checked(), QList<int>{1});
    act(2, QAccessibleActionInterface::pressAction());
    EXPECT_EQ(checked(), QList<int>{2});
    ASSERT_EQ(picked.count(), 2);
    EXPECT_EQ(picked.at(0).at(0).toInt(), 1);
    EXPECT_EQ(picked.at(1).at(0).toInt(), 2);

    act(2, QAccessibleActionInterface::toggleAction());
    picker.segment(2)->click();
    EXPECT_EQ(checked(), QList<int>{2}) << "the chosen segment stays chosen";
    EXPECT_EQ(picked.count(), 2) << "choosing it again reports nothing";
}

TEST_F(SegmentedPickerTest, ADisabledPickerOffersNoChoice) {
    picker.setEnabled(false);
    EXPECT_FALSE(reader(1)->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    act(1, QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(checked(), QList<int>{0});
    EXPECT_EQ(picked.count(), 0);
}

}  // namespace
