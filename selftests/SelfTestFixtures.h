#pragma once

#include <QImage>

#include <array>
#include <cstdint>

// The pictures the self tests work on and the ways they measure them. Pure
// functions of their arguments; the suite calls them on the main thread.
namespace tavero::selftests {

// Opaque blocks whose colours change every 7 and 13 rows and every 9 and 11
// columns, so any shift, turn or mirror shows in the pixels. For pixel (x, y):
//   R = 30 + ((y/7)·73 + (x/9)·37 + seed) mod 190
//   G = (3·R + (y/13)·11) mod 235
//   B = (R + (x/11)·17) mod 220
QImage pattern(int width, int height, int seed);

// A white 1440 × 5600 page with 100 numbered lines of Chinese text in three
// indents: what a long document looks like to the scrolling matcher.
QImage textPage();

// The R, G, B and A bytes of one pixel of `image` on a premultiplied RGBA
// surface, row y counted from the top. Throws outside the image.
std::array<std::uint8_t, 4> pixel(const QImage& image, int x, int y);

// The mean absolute difference of the red byte between horizontal neighbours
// along row 100, columns 60 to 150: high for sharp detail, low when blurred.
double localContrast(const QImage& image);

}  // namespace tavero::selftests
