#pragma once

#include <QWidget>

#include <functional>

class QPushButton;

namespace tavero {

// What the recording set-up sheet holds when the program was built without
// the recording interface: one sentence saying so, and "好" (or Return, or
// Escape) to close it, so a record request never opens an empty sheet. An
// opened video likewise gets a line in place of its workspace.
//
// Main thread.
class RecordingUnavailableView : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 420;

    explicit RecordingUnavailableView(std::function<void()> close, QWidget* parent = nullptr);

    static QString message();
    // What the workspace shows in place of the video at `path`.
    static QString videoMessage(const QString& path);
    static QWidget* videoPlaceholder(const QString& path, QWidget* parent = nullptr);
    QPushButton* closeButton() const { return close_; }

private:
    QPushButton* close_ = nullptr;
};

}  // namespace tavero
