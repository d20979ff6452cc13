#include "app/Appearance.h"

#include <QApplication>
#include <QFont>
#include <QPalette>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

TEST(AppearanceTest, TheLookIsLightAndQtsOwnTextsAreChinese) {
    applyAppearance(*qApp);
    const QPalette palette = QApplication::palette();
    EXPECT_GT(palette.color(QPalette::Window).lightness(), 200);
    EXPECT_LT(palette.color(QPalette::WindowText).lightness(), 60);
    EXPECT_EQ(QApplication::font().family(), QStringLiteral("Noto Sans CJK SC"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"))
        << "needs the qt6-translations-l10n package";
}

}  // namespace
