#pragma once

#include "platform/text/TextRecognitionBlocks.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

namespace tavero::TextRecognition {

// The lines of text on a page of ink (`inkOnPaper`), in reading order
// (`inReadingOrder`), from the pieces the layout analysis found there. The
// analysis cuts Chinese headings into characters and characters into
// strokes, and leaves out commas at the end of a line and, in small print,
// whole characters: pieces on one band and one background less than twice
// the line's height apart are one line, widened over the ink beside it.
// Pieces farther apart (table columns, toolbar buttons, a sidebar beside a
// page) stay lines of their own; specks (dots, corners, rules) go. Without
// `backgrounds` the page is one background.
std::vector<QRect> textLines(const QImage& page, std::vector<QRect> pieces, const Backgrounds& backgrounds = {});

// Whether the engine's reading of a line looks like text rather than an icon
// or a border: it has a letter or a digit, and is not one or two characters
// the engine is unsure of.
bool looksLikeText(const QString& read, int confidence);

// Latin letters and digits with at most one Han character, which the Chinese
// data may have made of a currency sign or a plus: worth reading again with
// the English data.
bool mostlyLatin(const QString& read);

// Whether the English reading of a line replaces the Chinese one. The
// English data knows Latin text better (case, punctuation, spaces): on a line
// without Han characters its reading wins unless the Chinese one is clearly
// more confident; with one, it must be the more confident, since it cannot
// read that character.
bool englishReadsBetter(const QString& chinese, int chineseConfidence, int englishConfidence);

// Whether the English reading of a line stands without the Chinese one: a
// Latin line of four letters or digits or more, read with high confidence.
bool sureEnglish(const QString& english, int confidence);

// A line as a person writes it: Chinese text takes full-width punctuation,
// which the Chinese data reads as ASCII after a Han character.
QString tidied(const QString& read);

}  // namespace tavero::TextRecognition
