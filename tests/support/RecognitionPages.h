#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>

namespace tavero::fixtures {

// A picture drawn with the program's font, and the lines of text a reader
// finds on it, in reading order. Text on one row of a page (a label and its
// value, the items of a toolbar) is one line, its pieces joined by a space.
struct RecognitionPage {
    QString name;
    QImage image;
    QStringList lines;
};

// Three 36-pixel lines of Chinese and English, black on white, 900×260.
RecognitionPage threeLinePage();

inline constexpr int recognitionPageCount = 8;

// Pages as users recognise them: the three lines above, headings, Chinese and
// English body text, mixed Chinese and English, numbers, an application
// window and small text; deterministic.
std::array<RecognitionPage, recognitionPageCount> recognitionPages();

inline constexpr int layoutPageCount = 5;

// Pages of several blocks, their lines in reading order: a report beside a
// dark settings panel, two columns of body text, a table of four columns
// (row by row), a dialog over a dimmed page, and a single column.
std::array<RecognitionPage, layoutPageCount> layoutPages();

// The characters inserted, dropped or misread in the whole recognised text
// against the known text, both in reading order with all white space
// removed, per character of the known text: what a reader of the copied
// text meets, order included.
double readingOrderErrorRate(const QStringList& known, const QStringList& recognised);

}  // namespace tavero::fixtures
