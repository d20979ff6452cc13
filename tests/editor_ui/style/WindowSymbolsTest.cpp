// Every symbol the editor window names has a drawing of its own: no button
// falls back to the plain circle of an unknown name.
#include "editor_ui/style/SymbolIcons.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

QImage drawn(const QString& name) {
    return SymbolIcons::icon(name, Qt::black).pixmap(QSize(48, 48)).toImage().convertToFormat(QImage::Format_ARGB32);
}

int inkedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 128;
    return count;
}

TEST(WindowSymbolsTest, EveryNameTheWindowUsesIsDrawn) {
    const QImage unknown = drawn(QStringLiteral("no.such.symbol"));
    for (const char* name :
         {"house", "crop", "clock.arrow.circlepath", "folder", "slider.horizontal.3", "record.circle",
          "stop.circle.fill", "sparkles.rectangle.stack", "text.viewfinder", "pin", "doc.on.doc",
          "square.and.arrow.down", "checkmark.circle.fill", "1.circle.fill", "2.circle.fill", "3.circle.fill",
          "4.circle.fill", "xmark"}) {
        const QImage image = drawn(QString::fromLatin1(name));
        EXPECT_NE(image, unknown) << name;
        EXPECT_GT(inkedPixels(image), 40) << name;
    }
}

// The digits are cut out of the disc, so each circled number differs from
// the others and leaves a hole in a full disc.
TEST(WindowSymbolsTest, CircledNumbersShowTheirNumber) {
    const QImage one = drawn(QStringLiteral("1.circle.fill"));
    const QImage four = drawn(QStringLiteral("4.circle.fill"));
    EXPECT_NE(one, four);
    EXPECT_EQ(qAlpha(one.pixel(24, 24)), 0) << "the middle of the 1 is cut out";
    EXPECT_EQ(qAlpha(one.pixel(24, 6)), 255) << "the disc around it is filled";
}

}  // namespace
