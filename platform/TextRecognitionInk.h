#pragma once

#include <QImage>

namespace tavero::TextRecognition {

// The grey picture of a screenshot redrawn as dark ink on white paper, so
// light text on dark panels, buttons and toasts reads like dark text on a
// light page. Flat areas (panels, cards, large dots) become paper: each
// pixel's ink is how far it is from the flat colour around it. A picture
// without flat areas, a photo, comes back as it is.
QImage inkOnPaper(const QImage& grey);

}  // namespace tavero::TextRecognition
