#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

namespace tavero::TextRecognition {

// The areas of one background on a screenshot: a page, a panel, a card, a
// dialog, a button. Neighbouring pixels of (nearly) one grey belong to one
// area; the strokes of letters make small areas of their own.
class Backgrounds {
public:
    Backgrounds() = default;
    explicit Backgrounds(const QImage& grey);

    // The area most of `rect` lies on: the background around a line's
    // letters. -1 without a picture.
    int areaUnder(const QRect& rect) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> area_;
};

// `lines` in the order a reader takes them: the page falls into blocks (the
// lines of one background, a column apart from its neighbour by a gap, a
// table), read top to bottom and, where they stand beside each other, left
// to right; within a block line by line, a table row by row.
std::vector<QRect> inReadingOrder(std::vector<QRect> lines, const Backgrounds& backgrounds);

}  // namespace tavero::TextRecognition
