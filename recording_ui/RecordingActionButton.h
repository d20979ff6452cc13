#pragma once

#include <QAbstractButton>
#include <QColor>

namespace tavero {

// The look of the recording windows' action buttons (control bar and
// teleprompter), as a value: red when prominent, green with dark text when
// positive, a dark teal otherwise, grey while disabled; compact buttons are
// smaller. Main thread.
struct RecordingActionStyle {
    bool prominent = false;
    bool positive = false;
    bool compact = false;

    static constexpr double cornerRadius = 8;

    double fontSize() const { return compact ? 12 : 14; }
    double horizontalPadding() const { return compact ? 10 : 13; }
    double minimumHeight() const { return compact ? 30 : 36; }
    QColor foreground(bool enabled) const;
    QColor background(bool enabled) const;
};

// A push button dressed in a RecordingActionStyle, with an optional symbol
// before its title. It takes no keyboard focus unless given a focus policy,
// so a press leaves the keyboard with the recorded program. Main thread.
class RecordingActionButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit RecordingActionButton(const QString& text, RecordingActionStyle style = {}, QWidget* parent = nullptr);

    const RecordingActionStyle& actionStyle() const { return style_; }
    void setActionStyle(const RecordingActionStyle& style);
    // The symbol before the title, by its name; empty for none.
    void setSymbol(const QString& name);
    const QString& symbol() const { return symbol_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    QFont labelFont() const;

    RecordingActionStyle style_;
    QString symbol_;
};

}  // namespace tavero
