#pragma once

#include <QSize>
#include <QString>

#include <optional>

// The resize field's rules: which typed widths count, and the height that
// keeps the picture's proportions. Any thread.
namespace tavero::ResizeWidth {

inline constexpr int smallest = 16;
inline constexpr int largest = 16000;

// A base-10 whole number, with an optional leading sign and nothing else,
// from `smallest` to `largest`; none for anything else.
std::optional<int> parse(const QString& typed);
// `width` × the picture's height / its width, truncated, at least 1.
int heightFor(QSize picture, int width);

}  // namespace tavero::ResizeWidth
