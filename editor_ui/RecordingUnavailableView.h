#pragma once

#include <QWidget>

#include <functional>

class QPushButton;

namespace tavero {

// What the recording set-up sheet holds when the program was built without
// the recording interface: one sentence saying so, and "好" (or Return, or
// Escape) to close it, so a record request never opens an empty sheet.
//
// Main thread.
class RecordingUnavailableView : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 420;

    explicit RecordingUnavailableView(std::function<void()> close, QWidget* parent = nullptr);

    static QString message();
    QPushButton* closeButton() const { return close_; }

private:
    QPushButton* close_ = nullptr;
};

}  // namespace tavero
