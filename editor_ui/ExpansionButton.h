#pragma once

#include <QAbstractButton>

namespace tavero {

// A full-width disclosure button: its title and a chevron pointing up while
// expanded, down while collapsed. The owner flips what it shows on click()
// and calls setExpanded(). Main thread.
class ExpansionButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int buttonHeight = 34;

    explicit ExpansionButton(const QString& title, QWidget* parent = nullptr);

    bool isExpanded() const { return expanded_; }
    void setExpanded(bool expanded);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool expanded_ = false;
};

}  // namespace tavero
