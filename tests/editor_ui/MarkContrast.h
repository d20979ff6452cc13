#pragma once

// How a focus mark reads by WCAG 2.2's focus appearance: the contrast of the
// pixels it changes against what they were, over at least the area of a
// 2 px line around the control; whether such pixels lie along all its
// sides; and their contrast against the pixels beside them that the mark
// leaves alone.

#include <QImage>
#include <QRect>
#include <QString>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace tavero::test {

inline constexpr double leastContrast = 3;

// WCAG's relative luminance of an sRGB pixel.
inline double luminance(QRgb pixel) {
    const auto linear = [](int channel) {
        const double value = channel / 255.0;
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
}

inline double contrast(QRgb one, QRgb other) {
    const double a = luminance(one);
    const double b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

struct MarkReading {
    // Focused against unfocused, reached by as many changed pixels as a
    // 2 px line along the ellipse inside the control holds.
    double contrast = 1;
    // Such pixels lie along every side of the control.
    bool surrounds = false;
    // Against the untouched pixels within 2 px of such pixels, nine in ten.
    double surroundings = 1;

    bool seen() const { return contrast >= leastContrast && surrounds && surroundings >= leastContrast; }
    QString text() const {
        return QString::asprintf("%.2f:1 %s, %.2f:1 beside", contrast, surrounds ? "around" : "not around", surroundings);
    }
};

namespace mark_detail {

class Pictures {
public:
    Pictures(const QImage& focused, const QImage& unfocused)
        : focused_(focused.convertToFormat(QImage::Format_RGB32)),
          unfocused_(unfocused.convertToFormat(QImage::Format_RGB32)) {}

    int width() const { return focused_.width(); }
    int height() const { return focused_.height(); }
    bool inside(int x, int y) const { return focused_.valid(x, y); }
    QRgb focused(int x, int y) const { return focused_.pixel(x, y); }
    bool changed(int x, int y) const { return focused_.pixel(x, y) != unfocused_.pixel(x, y); }
    double change(int x, int y) const { return contrast(focused_.pixel(x, y), unfocused_.pixel(x, y)); }

private:
    QImage focused_;
    QImage unfocused_;
};

// Whether strong pixels lie along every side of `control`, near it, over at
// least half the side's length: a mark around the control, not a line under
// it nor a ring around a part of it.
inline bool alongEverySide(const Pictures& pictures, const std::vector<char>& strong, const QRect& control) {
    constexpr int nearness = 8;
    const auto covered = [&](bool horizontal, int edge) {
        const int length = horizontal ? control.width() : control.height();
        int reached = 0;
        for (int along = 0; along < length; ++along) {
            bool found = false;
            for (int across = edge - nearness; across <= edge + nearness && !found; ++across) {
                const int x = horizontal ? control.left() + along : across;
                const int y = horizontal ? across : control.top() + along;
                found = pictures.inside(x, y) && strong[size_t(y) * pictures.width() + x];
            }
            reached += found;
        }
        return 2 * reached >= length;
    };
    return covered(true, control.top()) && covered(true, control.bottom()) && covered(false, control.left()) &&
           covered(false, control.right());
}

// How the strong pixels stand out from the untouched pixels within 2 px of
// them: each untouched pixel counts with the strong pixel near it that stands
// out most (a mark of two tones stands out by one of them), each strong pixel
// with the least of its neighbours, none without one; the lowest of nine in
// ten strong pixels.
inline double surroundings(const Pictures& pictures, const std::vector<char>& strong) {
    constexpr int reach = 2;
    constexpr double unbounded = 21;
    const int width = pictures.width();
    const auto around = [&](int x, int y, const std::function<void(int, int)>& visit) {
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx)
                if (pictures.inside(x + dx, y + dy)) visit(x + dx, y + dy);
    };
    std::vector<double> best(strong.size(), 0);
    for (int y = 0; y < pictures.height(); ++y)
        for (int x = 0; x < width; ++x) {
            if (!strong[size_t(y) * width + x]) continue;
            around(x, y, [&](int nx, int ny) {
                if (pictures.changed(nx, ny)) return;
                double& beside = best[size_t(ny) * width + nx];
                beside = std::max(beside, contrast(pictures.focused(x, y), pictures.focused(nx, ny)));
            });
        }
    std::vector<double> least;
    for (int y = 0; y < pictures.height(); ++y)
        for (int x = 0; x < width; ++x) {
            if (!strong[size_t(y) * width + x]) continue;
            double lowest = unbounded;
            around(x, y, [&](int nx, int ny) {
                if (!pictures.changed(nx, ny)) lowest = std::min(lowest, best[size_t(ny) * width + nx]);
            });
            least.push_back(lowest);
        }
    if (least.empty()) return 1;
    const auto tenth = least.begin() + qsizetype(least.size() / 10);
    std::nth_element(least.begin(), tenth, least.end());
    return *tenth;
}

}  // namespace mark_detail

// `focused` and `unfocused` picture the same area, in which `control` lies.
inline MarkReading readMark(const QImage& focused, const QImage& unfocused, const QRect& control) {
    if (focused.isNull() || focused.size() != unfocused.size()) return {};
    const mark_detail::Pictures pictures(focused, unfocused);
    std::vector<double> changes;
    std::vector<char> strong(size_t(pictures.width()) * pictures.height(), 0);
    for (int y = 0; y < pictures.height(); ++y)
        for (int x = 0; x < pictures.width(); ++x) {
            if (!pictures.changed(x, y)) continue;
            const double change = pictures.change(x, y);
            changes.push_back(change);
            strong[size_t(y) * pictures.width() + x] = change >= leastContrast;
        }
    // Ramanujan's perimeter of the ellipse inside the control, the least
    // line a round control's mark may take.
    const double a = control.width() / 2.0;
    const double b = control.height() / 2.0;
    const double perimeter = std::numbers::pi * (3 * (a + b) - std::sqrt((3 * a + b) * (a + 3 * b)));
    const auto area = size_t(std::ceil(2 * perimeter));

    MarkReading reading;
    if (changes.size() >= area && area > 0) {
        std::nth_element(changes.begin(), changes.begin() + qsizetype(area - 1), changes.end(), std::greater<>());
        reading.contrast = changes[area - 1];
    }
    reading.surrounds = mark_detail::alongEverySide(pictures, strong, control);
    reading.surroundings = mark_detail::surroundings(pictures, strong);
    return reading;
}

}  // namespace tavero::test
