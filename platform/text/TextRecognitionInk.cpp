#include "platform/text/TextRecognitionInk.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tavero::TextRecognition {

namespace {

// A square of this side, all of one colour, is paper: wider than the strokes
// of 64-pixel bold text, narrower than the margin of a 36-pixel button.
constexpr int flatSide = 11;
// Screens draw flat areas exactly; a little slack covers dithered gradients.
constexpr int flatTolerance = 6;
// Paper spreads from flat areas to neighbours this close in grey, and no
// further than `paperDrift` from where it started: gradients are paper, the
// anti-aliased edge of a letter is not.
constexpr int paperStep = 4;
constexpr int paperDrift = 24;

using Plane = std::vector<uint8_t>;

// The largest (or smallest) value over `side` samples centred on each
// sample of one row or column, in constant time per sample (van Herk,
// Gil-Werman).
template <typename Pick>
void slide(const uint8_t* in, uint8_t* out, int count, std::ptrdiff_t stride, int side, Pick pick,
           std::vector<uint8_t>& before, std::vector<uint8_t>& after) {
    const int radius = side / 2;
    const int padded = count + 2 * radius;
    const int blocks = (padded + side - 1) / side * side;
    const auto at = [&](int i) {
        const int source = std::clamp(i - radius, 0, count - 1);
        return in[source * stride];
    };
    before.resize(size_t(blocks));
    after.resize(size_t(blocks));
    for (int i = 0; i < blocks; ++i) before[size_t(i)] = i % side == 0 ? at(i) : pick(before[size_t(i - 1)], at(i));
    for (int i = blocks - 1; i >= 0; --i)
        after[size_t(i)] = i % side == side - 1 ? at(i) : pick(after[size_t(i + 1)], at(i));
    for (int i = 0; i < count; ++i) out[i * stride] = pick(after[size_t(i)], before[size_t(i + 2 * radius)]);
}

template <typename Pick>
Plane squareFilter(const Plane& in, int width, int height, Pick pick) {
    Plane rows(in.size()), out(in.size());
    std::vector<uint8_t> before, after;
    for (int y = 0; y < height; ++y) {
        const size_t start = size_t(y) * size_t(width);
        slide(&in[start], &rows[start], width, 1, flatSide, pick, before, after);
    }
    for (int x = 0; x < width; ++x)
        slide(&rows[size_t(x)], &out[size_t(x)], height, width, flatSide, pick, before, after);
    return out;
}

struct Grid {
    int width;
    int height;

    // Calls `visit` with each of the four neighbours of `index`.
    template <typename Visit>
    void neighbours(uint32_t index, Visit visit) const {
        const uint32_t x = index % uint32_t(width);
        if (x > 0) visit(index - 1);
        if (x + 1 < uint32_t(width)) visit(index + 1);
        if (index >= uint32_t(width)) visit(index - uint32_t(width));
        if (index + uint32_t(width) < uint32_t(width) * uint32_t(height)) visit(index + uint32_t(width));
    }
};

enum class Kind : uint8_t { unknown, paper, ink, seen };

// Ink this far from paper is no stroke of a letter (those of 150-pixel bold
// text are 24 pixels wide) but the inside of a photo, or a bold character
// whose strokes run together.
constexpr int pictureDepth = 12;

// Whether a patch of ink holds many shades, as a photo does, rather than
// mostly one, as the strokes of text do.
bool manyShades(const Plane& light, const std::vector<uint32_t>& patch) {
    std::array<size_t, 256> shades{};
    for (const uint32_t pixel : patch) ++shades[light[pixel]];
    size_t window = 0, most = 0;
    for (size_t shade = 0; shade < shades.size(); ++shade) {
        window += shades[shade];
        if (shade > 2 * flatTolerance) window -= shades[shade - 2 * flatTolerance - 1];
        most = std::max(most, window);
    }
    return 3 * most < patch.size();
}

// Photos and pictures are paper too: each patch of ink that reaches deeper
// than a letter's stroke and holds many shades goes whole, edges included,
// so the layout analysis finds no text in it.
void blankPictures(const Grid& grid, std::vector<Kind>& kind, Plane& paper, const Plane& light,
                   std::vector<uint32_t>& patch) {
    // How far each pixel of ink is from paper.
    Plane depth(kind.size());
    patch.clear();
    for (uint32_t i = 0; i < kind.size(); ++i)
        if (kind[i] == Kind::paper) patch.push_back(i);
    for (size_t head = 0; head < patch.size(); ++head) {
        grid.neighbours(patch[head], [&](uint32_t to) {
            if (kind[to] != Kind::ink || depth[to] != 0) return;
            depth[to] = uint8_t(std::min(255, depth[patch[head]] + 1));
            patch.push_back(to);
        });
    }
    for (uint32_t start = 0; start < kind.size(); ++start) {
        if (kind[start] != Kind::ink) continue;
        patch.assign(1, start);
        kind[start] = Kind::seen;
        bool deep = false;
        for (size_t head = 0; head < patch.size(); ++head) {
            deep = deep || depth[patch[head]] > pictureDepth;
            grid.neighbours(patch[head], [&](uint32_t to) {
                if (kind[to] != Kind::ink) return;
                kind[to] = Kind::seen;
                patch.push_back(to);
            });
        }
        if (deep && manyShades(light, patch))
            for (const uint32_t pixel : patch) paper[pixel] = light[pixel];
    }
    for (Kind& each : kind)
        if (each == Kind::seen) each = Kind::ink;
}

// Paper where the square around a pixel is all of one colour.
std::vector<Kind> flatMiddles(const Plane& light, int width, int height) {
    const Plane highest = squareFilter(light, width, height, [](uint8_t a, uint8_t b) { return std::max(a, b); });
    const Plane lowest = squareFilter(light, width, height, [](uint8_t a, uint8_t b) { return std::min(a, b); });
    std::vector<Kind> kind(light.size(), Kind::unknown);
    for (size_t i = 0; i < light.size(); ++i)
        if (highest[i] - lowest[i] <= flatTolerance) kind[i] = Kind::paper;
    return kind;
}

// How far a rim reaches from the edge it smooths, and how different two
// papers must be to have an edge between them.
constexpr int rimReach = 2;
constexpr int differentPapers = 12;

// Whether the pixel lies next to two different papers and its shade between
// theirs.
bool betweenPapers(const Grid& grid, const std::vector<Kind>& kind, const Plane& paper, const Plane& light,
                   uint32_t index) {
    const int x = int(index % uint32_t(grid.width)), y = int(index / uint32_t(grid.width));
    int darkest = 255, lightest = 0;
    for (int v = std::max(0, y - rimReach); v <= std::min(grid.height - 1, y + rimReach); ++v) {
        for (int u = std::max(0, x - rimReach); u <= std::min(grid.width - 1, x + rimReach); ++u) {
            const size_t near = size_t(v) * size_t(grid.width) + size_t(u);
            if (kind[near] != Kind::paper) continue;
            darkest = std::min<int>(darkest, paper[near]);
            lightest = std::max<int>(lightest, paper[near]);
        }
    }
    return lightest - darkest > differentPapers && light[index] >= darkest - flatTolerance &&
           light[index] <= lightest + flatTolerance;
}

}  // namespace

QImage inkOnPaper(const QImage& grey) {
    const int width = grey.width(), height = grey.height();
    const Grid grid{width, height};
    Plane light(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        std::copy_n(grey.constScanLine(y), width, light.begin() + std::ptrdiff_t(y) * width);

    // Paper grows from the middle of flat squares over similar neighbours.
    std::vector<Kind> kind = flatMiddles(light, width, height);
    Plane paper = light, origin = light;
    std::vector<uint32_t> queue;
    for (uint32_t i = 0; i < light.size(); ++i)
        if (kind[i] == Kind::paper) queue.push_back(i);
    if (queue.empty()) return grey;
    for (size_t head = 0; head < queue.size(); ++head) {
        const uint32_t from = queue[head];
        grid.neighbours(from, [&](uint32_t to) {
            if (kind[to] != Kind::unknown || std::abs(light[to] - light[from]) > paperStep ||
                std::abs(light[to] - origin[from]) > paperDrift)
                return;
            kind[to] = Kind::paper;
            origin[to] = origin[from];
            queue.push_back(to);
        });
    }
    // Every other pixel is ink on the paper nearest to it, or paper itself
    // where it has that paper's shade: the inside of a letter's loop.
    for (size_t head = 0; head < queue.size(); ++head) {
        const uint32_t from = queue[head];
        grid.neighbours(from, [&](uint32_t to) {
            if (kind[to] != Kind::unknown) return;
            const bool blank = std::abs(light[to] - paper[from]) <= flatTolerance;
            kind[to] = blank ? Kind::paper : Kind::ink;
            paper[to] = blank ? light[to] : paper[from];
            queue.push_back(to);
        });
    }
    blankPictures(grid, kind, paper, light, queue);

    // The anti-aliased rim of a panel or a dot is a blend of the paper on
    // either side of it, not ink.
    for (uint32_t i = 0; i < light.size(); ++i)
        if (kind[i] == Kind::ink && betweenPapers(grid, kind, paper, light, i)) paper[i] = light[i];

    QImage out(width, height, QImage::Format_Grayscale8);
    out.setDotsPerMeterX(grey.dotsPerMeterX());
    out.setDotsPerMeterY(grey.dotsPerMeterY());
    for (int y = 0; y < height; ++y) {
        uchar* row = out.scanLine(y);
        const size_t start = size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x)
            row[x] = uchar(255 - std::abs(light[start + size_t(x)] - paper[start + size_t(x)]));
    }
    return out;
}

}  // namespace tavero::TextRecognition
