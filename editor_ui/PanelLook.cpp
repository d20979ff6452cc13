#include "editor_ui/PanelLook.h"

#include "editor_ui/EditorLook.h"

#include <QBoxLayout>
#include <QLabel>

#include <cmath>

namespace tavero::PanelLook {

QLabel* caption(const QString& text, QWidget* parent) { return EditorLook::label(text, captionPoints, parent); }

QLabel* valueLabel(QWidget* parent, int frameWidth) {
    QLabel* label = EditorLook::label(QString(), captionPoints, parent);
    if (frameWidth > 0) {
        label->setFixedWidth(frameWidth);
        label->setAlignment(Qt::AlignCenter);
    }
    return label;
}

QWidget* sliderRow(QLabel* caption, QWidget* slider, QWidget* value, QWidget* parent) {
    caption->setBuddy(slider);
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* item : {static_cast<QWidget*>(caption), slider, value}) {
        item->setParent(row);
        layout->addWidget(item, item == slider ? 1 : 0, Qt::AlignVCenter);
    }
    return row;
}

QString wholeNumber(double value) { return QString::asprintf("%lld", static_cast<long long>(value)); }

QString percent(double fraction) {
    return QString::asprintf("%lld", static_cast<long long>(std::round(fraction * 100))) + QLatin1Char('%');
}

}  // namespace tavero::PanelLook
