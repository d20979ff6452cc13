// The start screen and its sheets name symbols of their own; each has a
// drawing, and the numbered rings show their numbers.
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

TEST(StartSymbolsTest, EveryNameTheStartScreenAndItsSheetsUseIsDrawn) {
    const QImage unknown = drawn(QStringLiteral("no.such.symbol"));
    for (const char* name : {"sparkles", "doc.on.clipboard", "arrow.right", "arrow.up.left", "checkmark", "waveform",
                             "hand.point.up.left.fill", "lock", "macwindow.badge.plus", "photo.on.rectangle",
                             "2.circle", "3.circle", "arrow.uturn.backward", "cursorarrow", "arrow.up.right", "scroll",
                             "record.circle", "crop", "folder"}) {
        const QImage image = drawn(QString::fromLatin1(name));
        EXPECT_NE(image, unknown) << name;
        EXPECT_GT(inkedPixels(image), 40) << name;
    }
}

// The ring stays open in the middle except for the digit, so two numbers
// never look alike.
TEST(StartSymbolsTest, NumberedRingsShowTheirNumber) {
    const QImage two = drawn(QStringLiteral("2.circle"));
    const QImage three = drawn(QStringLiteral("3.circle"));
    EXPECT_NE(two, three);
    EXPECT_EQ(qAlpha(two.pixel(24, 5)), 255) << "the ring";
    EXPECT_EQ(qAlpha(two.pixel(10, 24)), 0) << "inside the ring, beside the digit";
}

}  // namespace
