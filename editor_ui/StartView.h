#pragma once

#include <QScrollArea>

#include <functional>

class QAbstractButton;
class QToolButton;

namespace tavero {

class AppModel;
class ShotDocument;
class StartActionButton;
class TaskCard;

// The page that greets the user in the editor window: the headline with a
// way back to the current picture or video, the screenshot and recording
// cards, a guided sample, and a row for files the user already has. It
// keeps nothing of its own: it reads the model, the document and the
// studio's phase, and each control calls one model method (or `openFile`).
// Controls that start a screenshot or a recording are disabled while the
// model is busy or a take is under way; the sample and the way back only
// while the model is busy.
//
// Content at most 1120 wide, centred on the paper background; the page
// scrolls when the window is short. Observes the model, the document and
// the studio; main thread.
class StartView : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int maximumContentWidth = 1120;

    StartView(AppModel& model, ShotDocument& document, std::function<void()> openFile, QWidget* parent = nullptr);

    // The column of rows, within maximumContentWidth.
    QWidget* content() const { return content_; }
    // "返回当前视频" or "继续编辑当前图片"; hidden without current content.
    StartActionButton* resumeButton() const { return resume_; }
    TaskCard* screenshotCard() const { return screenshotCard_; }
    TaskCard* recordingCard() const { return recordingCard_; }
    StartActionButton* sampleButton() const { return sample_; }
    QToolButton* openButton() const { return open_; }
    QToolButton* pasteButton() const { return paste_; }

private:
    QWidget* makeHeader();
    QWidget* makeSample();
    QWidget* makeMaterialRow();
    void refresh();

    AppModel& model_;
    ShotDocument& document_;
    std::function<void()> openFile_;
    QWidget* content_ = nullptr;
    StartActionButton* resume_ = nullptr;
    TaskCard* screenshotCard_ = nullptr;
    TaskCard* recordingCard_ = nullptr;
    StartActionButton* sample_ = nullptr;
    QToolButton* open_ = nullptr;
    QToolButton* paste_ = nullptr;
};

}  // namespace tavero
