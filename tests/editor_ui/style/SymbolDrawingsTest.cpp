// Every symbol the editor window, its tool panel, the start screen and their
// sheets name has a drawing of its own: no button falls back to the plain
// circle of an unknown name, and numbered symbols show their numbers.
#include "document/MarkTool.h"
#include "editor_ui/style/SymbolIcons.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

#include <initializer_list>

using namespace tavero;

namespace {

constexpr int side = 48;

QImage drawn(const QString& name) {
    return SymbolIcons::icon(name, Qt::black).pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
}

int inkedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 128;
    return count;
}

void expectDrawn(const QString& name, const QImage& image) {
    EXPECT_NE(image, drawn(QStringLiteral("no.such.symbol"))) << name.toStdString();
    EXPECT_GT(inkedPixels(image), 40) << name.toStdString();
}

void expectEachDrawn(std::initializer_list<const char*> names) {
    for (const char* name : names) expectDrawn(QString::fromLatin1(name), drawn(QString::fromLatin1(name)));
}

QStringList panelNames() {
    QStringList names;
    for (MarkTool tool : allMarkTools) names.append(symbol(tool));
    for (const char* name : {"chevron.up", "chevron.down", "arrow.uturn.backward", "arrow.uturn.forward", "trash",
                             "photo", "photo.on.rectangle.angled", "video", "rotate.right", "rectangle.on.rectangle",
                             "checkmark.circle.fill"})
        names.append(QString::fromLatin1(name));
    return names;
}

// With TAVERO_SAMPLES set, the symbols side by side for a person to look at.
void writeSample(const QStringList& names) {
    const QString folder = qEnvironmentVariable("TAVERO_SAMPLES");
    if (folder.isEmpty()) return;
    QImage sheet(side * int(names.size()), side, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int index = 0; index < names.size(); ++index) painter.drawImage(index * side, 0, drawn(names[index]));
    painter.end();
    QDir().mkpath(folder);
    sheet.save(folder + QStringLiteral("/panel-symbols.png"));
}

TEST(SymbolDrawingsTest, EveryToolAndPanelSymbolIsDrawnAndDistinct) {
    const QStringList names = panelNames();
    QList<QImage> seen;
    for (const QString& name : names) {
        const QImage image = drawn(name);
        expectDrawn(name, image);
        EXPECT_FALSE(seen.contains(image)) << name.toStdString() << " looks like another symbol";
        seen.append(image);
    }
    writeSample(names);
}

TEST(SymbolDrawingsTest, EveryNameTheWindowUsesIsDrawn) {
    expectEachDrawn({"house", "crop", "clock.arrow.circlepath", "folder", "slider.horizontal.3", "record.circle",
                     "stop.circle.fill", "sparkles.rectangle.stack", "text.viewfinder", "pin", "doc.on.doc",
                     "square.and.arrow.down", "checkmark.circle.fill", "1.circle.fill", "2.circle.fill",
                     "3.circle.fill", "4.circle.fill", "xmark"});
}

TEST(SymbolDrawingsTest, EveryNameTheStartScreenAndItsSheetsUseIsDrawn) {
    expectEachDrawn({"sparkles", "doc.on.clipboard", "arrow.right", "arrow.up.left", "checkmark", "waveform",
                     "hand.point.up.left.fill", "lock", "macwindow.badge.plus", "photo.on.rectangle", "2.circle",
                     "3.circle", "arrow.uturn.backward", "cursorarrow", "arrow.up.right", "scroll", "record.circle",
                     "crop", "folder"});
}

TEST(SymbolDrawingsTest, EveryNameTheRecordingWindowsUseIsDrawn) {
    expectEachDrawn({"person.crop.rectangle", "rectangle.inset.filled", "text.alignleft", "play.fill", "pause.fill",
                     "arrow.counterclockwise"});
}

TEST(SymbolDrawingsTest, EveryNameTheRecordingSetUpUsesIsDrawn) {
    expectEachDrawn({"record.circle", "arrow.clockwise", "sparkles", "checkmark.circle.fill", "circle",
                     "chevron.right", "chevron.down", "internaldrive"});
}

// The digits are cut out of the disc, so each circled number differs from
// the others and leaves a hole in a full disc.
TEST(SymbolDrawingsTest, CircledNumbersShowTheirNumber) {
    const QImage one = drawn(QStringLiteral("1.circle.fill"));
    const QImage four = drawn(QStringLiteral("4.circle.fill"));
    EXPECT_NE(one, four);
    EXPECT_EQ(qAlpha(one.pixel(24, 24)), 0) << "the middle of the 1 is cut out";
    EXPECT_EQ(qAlpha(one.pixel(24, 6)), 255) << "the disc around it is filled";
}

// The ring stays open in the middle except for the digit, so two numbers
// never look alike.
TEST(SymbolDrawingsTest, NumberedRingsShowTheirNumber) {
    const QImage two = drawn(QStringLiteral("2.circle"));
    const QImage three = drawn(QStringLiteral("3.circle"));
    EXPECT_NE(two, three);
    EXPECT_EQ(qAlpha(two.pixel(24, 5)), 255) << "the ring";
    EXPECT_EQ(qAlpha(two.pixel(10, 24)), 0) << "inside the ring, beside the digit";
}

}  // namespace
