#include "platform/text/TextRecognitionBlocks.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <unordered_map>

namespace tavero::TextRecognition {

namespace {

// Neighbours this close in grey are one background: screens draw flat areas
// exactly, gradients change a step at a time, and the anti-aliased edge of a
// panel or a letter jumps further.
constexpr int sameBackground = 2;

// How far below the last line of a column the next may start, in line
// heights: a paragraph's gap, not the gap to a separate block.
constexpr double stackingGap = 2.5;
// Lines beside each other are two columns of text when each column's lines
// are this many times wider than the gap between them; narrower ones, with
// a wide gap, are the cells of a table and are read row by row.
constexpr int columnWidthToGap = 2;

class DisjointSets {
public:
    explicit DisjointSets(size_t count) : parent_(count) { std::iota(parent_.begin(), parent_.end(), 0u); }

    uint32_t root(uint32_t item) {
        while (parent_[item] != item) item = parent_[item] = parent_[parent_[item]];
        return item;
    }

    void join(uint32_t a, uint32_t b) {
        a = root(a);
        b = root(b);
        if (a != b) parent_[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<uint32_t> parent_;
};

int height(const QRect& line) { return line.height(); }

bool overlapVertically(const QRect& a, const QRect& b) { return a.top() <= b.bottom() && b.top() <= a.bottom(); }

int horizontalOverlap(const QRect& a, const QRect& b) {
    return std::min(a.right(), b.right()) - std::max(a.left(), b.left()) + 1;
}

struct Block {
    int area = -1;
    std::vector<QRect> lines;
    QRect bounds;

    void add(const QRect& line) {
        lines.push_back(line);
        bounds = bounds.isNull() ? line : bounds.united(line);
    }
};

// Whether `line` continues the column whose last line is `last`: below it,
// not far, and overlapping it sideways.
bool continues(const QRect& last, const QRect& line) {
    const int gap = line.top() - last.bottom();
    const int overlap = horizontalOverlap(last, line);
    const int taller = std::max(height(last), height(line));
    return gap >= -taller / 2 && gap <= stackingGap * taller && overlap > 0;
}

// Lines of one background stacked into columns, top to bottom.
std::vector<Block> stacked(std::vector<QRect> lines, const std::vector<int>& areas) {
    std::vector<size_t> order(lines.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return lines[a].top() < lines[b].top(); });
    std::vector<Block> columns;
    for (const size_t index : order) {
        const QRect& line = lines[index];
        Block* nearest = nullptr;
        for (Block& column : columns) {
            if (column.area != areas[index] || !continues(column.lines.back(), line)) continue;
            if (!nearest || column.lines.back().bottom() > nearest->lines.back().bottom()) nearest = &column;
        }
        if (!nearest) {
            columns.push_back({areas[index], {}, {}});
            nearest = &columns.back();
        }
        nearest->add(line);
    }
    return columns;
}

int median(std::vector<int> values) {
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// Two columns beside each other on one background that are no columns of
// text but the cells of one table, or labels and their values. Only their
// lines level with each other count: a column may go on above or below
// (a heading, a list before a table of shortcuts).
bool oneTable(const Block& a, const Block& b) {
    if (a.area != b.area || !overlapVertically(a.bounds, b.bounds)) return false;
    std::vector<int> gaps, widths;
    for (const QRect& left : a.lines) {
        for (const QRect& right : b.lines) {
            if (!overlapVertically(left, right)) continue;
            const QRect& first = left.left() < right.left() ? left : right;
            const QRect& second = left.left() < right.left() ? right : left;
            gaps.push_back(second.left() - first.right());
            widths.push_back(std::min(left.width(), right.width()));
        }
    }
    if (gaps.empty()) return false;
    const int gap = *std::min_element(gaps.begin(), gaps.end());
    return gap > 0 && median(widths) < columnWidthToGap * gap;
}

std::vector<Block> joinedTables(std::vector<Block> columns) {
    DisjointSets sets(columns.size());
    for (size_t i = 0; i < columns.size(); ++i)
        for (size_t j = i + 1; j < columns.size(); ++j)
            if (oneTable(columns[i], columns[j])) sets.join(uint32_t(i), uint32_t(j));
    std::vector<Block> blocks;
    std::unordered_map<uint32_t, size_t> blockOf;
    for (size_t i = 0; i < columns.size(); ++i) {
        const auto [place, added] = blockOf.try_emplace(sets.root(uint32_t(i)), blocks.size());
        if (added) blocks.push_back({columns[i].area, {}, {}});
        for (const QRect& line : columns[i].lines) blocks[place->second].add(line);
    }
    return blocks;
}

// Rows top to bottom, the lines of a row left to right.
void sortRows(std::vector<QRect>& lines) {
    std::sort(lines.begin(), lines.end(), [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    for (auto row = lines.begin(); row != lines.end();) {
        const int middle = row->center().y();
        const auto end = std::find_if(row, lines.end(), [middle](const QRect& line) { return line.top() > middle; });
        std::sort(row, end, [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
        row = end;
    }
}

// Of two blocks beside each other the left one is read first, of two above
// each other the upper one.
bool readBefore(const Block& a, const Block& b) {
    if (overlapVertically(a.bounds, b.bounds)) return a.bounds.left() < b.bounds.left();
    return a.bounds.top() < b.bounds.top();
}

// The blocks in reading order: each time the topmost block that no other
// remaining block is read before.
std::vector<Block> ordered(std::vector<Block> blocks) {
    std::vector<Block> result;
    while (!blocks.empty()) {
        auto next = blocks.end();
        for (auto candidate = blocks.begin(); candidate != blocks.end(); ++candidate) {
            const bool first = std::none_of(blocks.begin(), blocks.end(), [&](const Block& other) {
                return &other != &*candidate && readBefore(other, *candidate);
            });
            if (first && (next == blocks.end() || candidate->bounds.top() < next->bounds.top())) next = candidate;
        }
        // Blocks that each come before another in a ring: the topmost goes first.
        if (next == blocks.end())
            next = std::min_element(blocks.begin(), blocks.end(),
                                    [](const Block& a, const Block& b) { return a.bounds.top() < b.bounds.top(); });
        result.push_back(std::move(*next));
        blocks.erase(next);
    }
    return result;
}

}  // namespace

Backgrounds::Backgrounds(const QImage& grey) : width_(grey.width()), height_(grey.height()) {
    DisjointSets sets(size_t(width_) * size_t(height_));
    for (int y = 0; y < height_; ++y) {
        const uchar* row = grey.constScanLine(y);
        const uchar* below = y + 1 < height_ ? grey.constScanLine(y + 1) : nullptr;
        const uint32_t start = uint32_t(y) * uint32_t(width_);
        for (int x = 0; x < width_; ++x) {
            if (x + 1 < width_ && std::abs(row[x] - row[x + 1]) <= sameBackground)
                sets.join(start + uint32_t(x), start + uint32_t(x) + 1);
            if (below && std::abs(row[x] - below[x]) <= sameBackground)
                sets.join(start + uint32_t(x), start + uint32_t(x + width_));
        }
    }
    area_.resize(size_t(width_) * size_t(height_));
    for (uint32_t i = 0; i < area_.size(); ++i) area_[i] = sets.root(i);
}

int Backgrounds::areaUnder(const QRect& rect) const {
    const QRect inside = rect & QRect(0, 0, width_, height_);
    if (inside.isEmpty()) return -1;
    std::unordered_map<uint32_t, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) ++counts[area_[size_t(y) * size_t(width_) + size_t(x)]];
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return int(most->first);
}

std::vector<QRect> inReadingOrder(std::vector<QRect> lines, const Backgrounds& backgrounds) {
    if (lines.empty()) return lines;
    std::vector<int> areas;
    for (const QRect& line : lines) areas.push_back(backgrounds.areaUnder(line));
    std::vector<QRect> result;
    for (Block& block : ordered(joinedTables(stacked(std::move(lines), areas)))) {
        sortRows(block.lines);
        result.insert(result.end(), block.lines.begin(), block.lines.end());
    }
    return result;
}

}  // namespace tavero::TextRecognition
