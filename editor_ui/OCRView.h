#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace tavero {

class AppModel;

// The recognised-text sheet: the model's recognised text in an editor, so
// the user can correct it before copying, "关闭", and "复制全部", which
// puts the text as edited on the clipboard and says so in the status line.
// The text lives in the model: every keystroke writes it, so edits survive
// closing and reopening the sheet until the next recognition.
//
// Observes the model; main thread.
class OCRView : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 590;
    static inline const QString copiedStatus = QStringLiteral("已复制识别文字。");

    explicit OCRView(AppModel& model, QWidget* parent = nullptr);

    QPlainTextEdit* editor() const { return editor_; }
    QPushButton* closeButton() const { return close_; }
    QPushButton* copyButton() const { return copy_; }

private:
    QWidget* makeTitleRow();
    QWidget* makeEditor();
    QWidget* makeFooter();
    void showText();
    void copyAll();

    AppModel& model_;
    QPlainTextEdit* editor_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* copy_ = nullptr;
};

}  // namespace tavero
