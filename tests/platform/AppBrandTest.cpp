#include "platform/AppBrand.h"

#include <QGuiApplication>
#include <QPixmap>

#include <gtest/gtest.h>

using namespace tavero;

TEST(AppBrand, DisplayNameJoinsBothNamesWithOneBlank) {
    EXPECT_EQ(AppBrand::displayName, QStringLiteral("岚帧 Tavero"));
    EXPECT_FALSE(AppBrand::tagline.isEmpty());
}

TEST(AppBrand, IconFallsBackToTheApplicationIcon) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    QGuiApplication::setWindowIcon(QIcon(pixmap));
    EXPECT_EQ(AppBrand::icon().cacheKey(), QGuiApplication::windowIcon().cacheKey());
}
