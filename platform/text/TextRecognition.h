#pragma once

#include <QImage>
#include <QStringList>

namespace tavero {

// Text recognition on the machine: Tesseract with its Simplified Chinese and
// English data, no network. Each calling thread gets engines of its own
// (about 60 MB), made on first use and kept for the thread's life, so calls
// on different threads run in parallel. Slow (a second or more for a screenshot): call it
// off the main thread in the program.
namespace TextRecognition {

// The lines of text in `image`, in reading order (top to bottom, lines beside
// each other left to right), one string per recognised line; Chinese
// characters come without spaces between them and with full-width
// punctuation. Light text on dark panels is read as well as dark on light. Empty when the
// picture holds no text. Throws ShotError when the engine cannot start.
QStringList recognizeLines(const QImage& image);

}  // namespace TextRecognition
}  // namespace tavero
