#include "editor_ui/SymbolLabel.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/style/SymbolIcons.h"

#include <QBoxLayout>
#include <QIcon>
#include <QLabel>

#include <cmath>

namespace tavero {

namespace {
// A symbol stands a little taller than the text's capitals beside it.
constexpr double symbolScale = 1.25;
}  // namespace

SymbolLabel::SymbolLabel(const QString& symbol, const QString& text, double points, const QColor& colour,
                         QWidget* parent, FontWeight weight)
    : QWidget(parent), symbol_(symbol) {
    const int side = int(std::lround(points * symbolScale));
    auto* icon = new QLabel(this);
    icon->setPixmap(SymbolIcons::icon(symbol, colour).pixmap(QSize(side, side), devicePixelRatioF()));
    icon->setFixedSize(side, side);
    text_ = EditorLook::label(text, points, this, weight);
    EditorLook::setTextColour(text_, colour);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(int(std::lround(points / 2)));
    row->addWidget(icon);
    row->addWidget(text_);
}

}  // namespace tavero
