#include "editor_ui/ResizeWidth.h"

#include <QRegularExpression>

#include <algorithm>

namespace tavero::ResizeWidth {

std::optional<int> parse(const QString& typed) {
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    if (!wholeNumber.match(typed).hasMatch()) return std::nullopt;
    bool ok = false;
    const qlonglong width = typed.toLongLong(&ok, 10);
    if (!ok || width < smallest || width > largest) return std::nullopt;
    return int(width);
}

int heightFor(QSize picture, int width) {
    if (picture.width() <= 0) return 1;
    const double height = double(width) * double(picture.height()) / double(picture.width());
    return std::max(int(height), 1);
}

}  // namespace tavero::ResizeWidth
