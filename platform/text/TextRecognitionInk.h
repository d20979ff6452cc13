#pragma once

#include <QImage>

namespace tavero::TextRecognition {

// The grey picture of a screenshot redrawn as dark ink on white paper, so
// light text on dark panels, buttons and toasts reads like dark text on a
// light page. Flat areas (panels, cards, large dots) become paper: each
// pixel's ink is how far it is from the flat colour around it. Photos on a
// page become paper too. A picture without any flat area comes back as it is.
QImage inkOnPaper(const QImage& grey);

}  // namespace tavero::TextRecognition
