#include "selftests/SelfTestFixtures.h"

#include "document/ImageOps.h"
#include "platform/Fonts.h"

#include <QPainter>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace tavero::selftests {

namespace {

constexpr int pageWidth = 1440;
constexpr int pageHeight = 5600;
constexpr int pageLines = 100;
constexpr int lineFontSize = 25;
// The platform's dark grey: a third of white.
const QColor lineColour(85, 85, 85);

QString pageLine(int number) {
    return QStringLiteral("第 %1 行 · 页面中的文字应当清晰、连续。").arg(number) +
           QStringLiteral("内容").repeated((number - 1) % 7);
}

// The image as it reads on a premultiplied RGBA surface of its own size.
QImage onSurface(const QImage& image) {
    if (image.format() == ImageOps::surfaceFormat) return image;
    QImage surface = ImageOps::context(image.width(), image.height());
    QPainter painter(&surface);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image);
    return surface;
}

}  // namespace

QImage pattern(int width, int height, int seed) {
    QImage image = ImageOps::context(width, height);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int red = 30 + ((y / 7) * 73 + (x / 9) * 37 + seed) % 190;
            const int green = (3 * red + (y / 13) * 11) % 235;
            const int blue = (red + (x / 11) * 17) % 220;
            uchar* pixel = row + 4 * x;
            pixel[0] = uchar(red);
            pixel[1] = uchar(green);
            pixel[2] = uchar(blue);
            pixel[3] = 255;
        }
    }
    return image;
}

QImage textPage() {
    QImage page = ImageOps::context(pageWidth, pageHeight);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setFont(Fonts::system(lineFontSize));
    painter.setPen(lineColour);
    for (int number = 1; number <= pageLines; ++number) {
        const int x = 70 + 22 * ((number - 1) % 3);
        const int y = 18 + 55 * (number - 1);
        // The line's top edge sits at y, as text laid out from its origin in a y-down context.
        painter.drawText(QRectF(x, y, pageWidth - x, 55), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         pageLine(number));
    }
    return page;
}

std::array<std::uint8_t, 4> pixel(const QImage& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") lies outside a " +
                                std::to_string(image.width()) + " x " + std::to_string(image.height()) + " image");
    const QImage surface = onSurface(image);
    const uchar* bytes = surface.constScanLine(y) + 4 * x;
    return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

double localContrast(const QImage& image) {
    const QImage surface = onSurface(image);
    int sum = 0;
    for (int x = 61; x <= 150; ++x) sum += std::abs(int(pixel(surface, x - 1, 100)[0]) - int(pixel(surface, x, 100)[0]));
    return sum / 90.0;
}

}  // namespace tavero::selftests
