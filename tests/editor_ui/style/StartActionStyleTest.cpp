// The start screen's button style and the symbols, drawn offscreen and
// read back pixel by pixel.
#include "editor_ui/style/StartActionButton.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tavero;

namespace {

QImage rendered(QWidget& widget) {
    widget.resize(widget.sizeHint());
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool near(QColor actual, const QColor& expected, int tolerance = 3) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

// A point inside the padding, clear of the label and the corners.
QPoint inPadding(const QImage& image) { return {8, image.height() / 2}; }

QColor darkest(const QImage& image) {
    QColor result(Qt::white);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QColor colour = image.pixelColor(x, y); colour.alpha() == 255 && colour.value() < result.value())
                result = colour;
    return result;
}

TEST(StartActionStyleTest, PrimaryButtonsShowTheirColourAndSecondaryOnesStayWhiteWithTheBrandBorder) {
    StartActionButton primary(QStringLiteral("完成"));
    EXPECT_EQ(primary.sizeHint().height(), 42);
    const QImage filled = rendered(primary);
    EXPECT_TRUE(near(filled.pixelColor(inPadding(filled)), TaveroStyle::green()));
    EXPECT_EQ(filled.pixelColor(0, 0).alpha(), 0) << "the rounded corner is left out";

    StartActionButton secondary(QStringLiteral("打开图片或视频"), StartActionStyle(false, Qt::red, 30));
    EXPECT_EQ(secondary.sizeHint().height(), 30);
    const QImage plain = rendered(secondary);
    EXPECT_TRUE(near(plain.pixelColor(inPadding(plain)), Qt::white)) << "the colour shows only on primary buttons";
    QColor border = TaveroStyle::green();
    border.setAlphaF(0.22);
    const QColor edge = plain.pixelColor(0, plain.height() / 2);
    const QColor expectedEdge = QColor::fromRgbF(1 - 0.22 + 0.22 * border.redF(), 1 - 0.22 + 0.22 * border.greenF(),
                                                 1 - 0.22 + 0.22 * border.blueF());
    EXPECT_TRUE(near(edge, expectedEdge, 6)) << edge.name().toStdString();
    EXPECT_TRUE(near(darkest(plain), TaveroStyle::ink(), 12)) << "ink text";
}

TEST(StartActionStyleTest, DisabledButtonsFadeToTheSameOpacityWhetherPressedOrNot) {
    StartActionButton button(QStringLiteral("完成"));
    const auto alpha = [&] {
        const QImage image = rendered(button);
        return image.pixelColor(inPadding(image)).alpha();
    };
    EXPECT_EQ(alpha(), 255);
    button.setDown(true);
    EXPECT_NEAR(alpha(), 0.76 * 255, 2);
    button.setEnabled(false);
    EXPECT_NEAR(alpha(), 0.45 * 255, 2);
    button.setDown(false);
    EXPECT_NEAR(alpha(), 0.45 * 255, 2);
}

TEST(StartActionStyleTest, APressAnywhereOnTheRoundedRectangleCounts) {
    StartActionButton button(QStringLiteral("完成"));
    button.resize(button.sizeHint());
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    QSignalSpy clicked(&button, &StartActionButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(3, button.height() / 2));
    EXPECT_EQ(clicked.count(), 1) << "the padding is part of the button";
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(clicked.count(), 1) << "outside the rounded corner";
}

TEST(StartActionStyleTest, SymbolsAreDrawnInTheirColourAndUnknownNamesAreNeverEmpty) {
    for (const QString& name : {QStringLiteral("scroll"), QStringLiteral("no.such.symbol")}) {
        const QImage image = SymbolIcons::icon(name, TaveroStyle::green()).pixmap(QSize(48, 48)).toImage();
        int inColour = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (const QColor colour = image.pixelColor(x, y); colour.alpha() == 255)
                    inColour += near(colour, TaveroStyle::green());
        EXPECT_GT(inColour, 40) << name.toStdString();
    }
}

}  // namespace
