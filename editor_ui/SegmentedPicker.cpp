#include "editor_ui/SegmentedPicker.h"

#include "editor_ui/ChoiceButton.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/style/FocusRing.h"

#include <QBoxLayout>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

constexpr int trackHeight = 24;
constexpr int inset = 2;
constexpr double trackRadius = 6;
constexpr double segmentRadius = 5;
constexpr double trackOpacity = 0.07;
constexpr double disabledOpacity = 0.4;
constexpr double textPoints = 11;

// One segment: its title, on a raised white face while chosen.
class Segment : public ChoiceButton {
public:
    Segment(const QString& title, QWidget* parent) : ChoiceButton(parent) {
        FocusRing::drawnByItself(*this);
        setText(title);
        setAccessibleName(title);
        setFont(EditorLook::font(parent, textPoints));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFixedHeight(trackHeight - 2 * inset);
    }

    QSize sizeHint() const override { return {fontMetrics().horizontalAdvance(text()) + 16, trackHeight - 2 * inset}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (!isEnabled()) painter.setOpacity(disabledOpacity);
        if (isChecked()) {
            QPainterPath face;
            face.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), segmentRadius, segmentRadius);
            painter.fillPath(face, Qt::white);
            painter.strokePath(face, QPen(EditorLook::faded(palette().color(QPalette::WindowText), 0.12), 1));
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter, text());
        FocusRing::paint(painter, *this, QRectF(rect()), segmentRadius);
    }
};

}  // namespace

SegmentedPicker::SegmentedPicker(const QStringList& titles, QWidget* parent) : QWidget(parent) {
    setFixedHeight(trackHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(inset, inset, inset, inset);
    row->setSpacing(inset);
    for (const QString& title : titles) {
        auto* segment = new Segment(title, this);
        const int index = int(segments_.size());
        connect(segment, &QAbstractButton::clicked, this, [this, index] { clicked(index); });
        segments_.append(segment);
        row->addWidget(segment);
    }
    showSelected(0);
}

void SegmentedPicker::showSelected(int index) {
    selected_ = index;
    for (int at = 0; at < segments_.size(); ++at) segments_[at]->setChecked(at == index);
}

// Choosing the chosen segment again changes nothing.
void SegmentedPicker::clicked(int index) {
    const bool changed = index != selected_;
    showSelected(index);
    if (changed) emit picked(index);
}

void SegmentedPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(disabledOpacity);
    QPainterPath track;
    track.addRoundedRect(QRectF(rect()), trackRadius, trackRadius);
    painter.fillPath(track, EditorLook::faded(palette().color(QPalette::WindowText), trackOpacity));
}

void SegmentedPicker::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) update();
}

}  // namespace tavero
