#pragma once

#include <QStringList>

namespace tavero::bench {

struct RecognitionErrors {
    qsizetype errors = 0;      // characters inserted, dropped or misread
    qsizetype characters = 0;  // characters of the known text
    qsizetype junkLines = 0;   // recognised lines that are mostly not on the page

    double rate() const { return characters == 0 ? 0 : double(errors) / double(characters); }
};

// Compares recognised lines with the known lines of a page, whatever the
// order of the blocks: a table read column by column, or two cards read side
// by side on one line, costs nothing for the order, only for the characters.
// Spaces count between Latin letters and digits only, so an engine that puts
// spaces between Chinese characters is not charged for them.
RecognitionErrors compareLines(const QStringList& known, const QStringList& recognised);

}  // namespace tavero::bench
