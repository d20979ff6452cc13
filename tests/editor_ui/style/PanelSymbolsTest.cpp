// Every tool and every control of the tool panel, the history list and the
// background sheet has a drawing of its own.
#include "document/MarkTool.h"
#include "editor_ui/style/SymbolIcons.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

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

TEST(PanelSymbolsTest, EveryToolAndPanelSymbolIsDrawnAndDistinct) {
    const QStringList names = panelNames();
    const QImage unknown = drawn(QStringLiteral("no.such.symbol"));
    QList<QImage> seen;
    for (const QString& name : names) {
        const QImage image = drawn(name);
        EXPECT_NE(image, unknown) << name.toStdString();
        EXPECT_GT(inkedPixels(image), 40) << name.toStdString();
        EXPECT_FALSE(seen.contains(image)) << name.toStdString() << " looks like another symbol";
        seen.append(image);
    }
    writeSample(names);
}

}  // namespace
