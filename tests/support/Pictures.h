#pragma once

#include <QByteArray>
#include <QImage>

namespace tavero::fixtures {

// A picture that looks like a screenshot: flat panels, a sidebar, Chinese
// and English text lines and a few icons. Deterministic for a given size.
QImage screenshotLike(int width, int height);

// Random pixels: incompressible, and every pixel differs from its neighbours.
QImage noise(int width, int height, quint32 seed = 1);

// A PNG file of only a signature and an IHDR chunk declaring the size.
QByteArray pngHeaderOnly(quint32 width, quint32 height);

}  // namespace tavero::fixtures
