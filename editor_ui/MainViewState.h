#pragma once

#include "document/MarkTool.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <array>

namespace tavero {

class AppModel;
class ShotDocument;

// The editor window's own state, apart from the model: the sidebar tab,
// which sheets and panels are open, the width typed for resizing, the picture
// handed to the background sheet, and whether the first-use editor hint was
// dismissed (kept in the user defaults). Every write that changes something
// emits changed(); the views re-read it.
//
// Created once per window by MainView; main thread.
class MainViewState : public QObject {
    Q_OBJECT

public:
    static constexpr const char* editorHintDismissedKey = "onboarding.editorHintDismissed";
    // The tools the tool panel always shows, in this order.
    static constexpr std::array<MarkTool, 6> commonTools{MarkTool::move, MarkTool::arrow, MarkTool::rectangle,
                                                         MarkTool::text, MarkTool::pixelate, MarkTool::crop};
    enum Tab { annotationTab = 0, historyTab = 1 };

    explicit MainViewState(QObject* parent = nullptr);

    // The start screen shows on request, and whenever there is neither a
    // picture nor a video to show. The main view, its header and its status
    // bar all ask this one question.
    static bool showsStartScreen(const AppModel& model, const ShotDocument& document);
    static bool isCommonTool(MarkTool tool);

    int sidebarTab() const { return sidebarTab_; }
    void setSidebarTab(int tab);
    bool settings() const { return settings_; }
    void setSettings(bool open);
    bool recentFiles() const { return recentFiles_; }
    void setRecentFiles(bool open);
    // The tool panel shows every tool, not only the common ones.
    bool moreTools() const { return moreTools_; }
    void setMoreTools(bool expanded);
    // The tool panel's "尺寸与旋转" section is expanded.
    bool imageDimensions() const { return imageDimensions_; }
    void setImageDimensions(bool expanded);
    bool editorHintDismissed() const { return editorHintDismissed_; }
    // Stored under editorHintDismissedKey on every assignment.
    void setEditorHintDismissed(bool dismissed);
    // Target width in pixels, as typed.
    const QString& resizeWidth() const { return resizeWidth_; }
    void setResizeWidth(const QString& width);

    // The rendered picture the background sheet frames, and the document's
    // revision when it was rendered; null when none.
    const QImage& backgroundSource() const { return backgroundSource_; }
    qint64 backgroundRevision() const { return backgroundRevision_; }
    bool backgroundPresented() const { return backgroundPresented_; }
    void setBackgroundPresented(bool open);
    // Hands a picture to the background sheet and opens it.
    void presentBackground(const QImage& source, qint64 revision);

signals:
    void changed();

private:
    template <typename Value>
    void assign(Value& field, const Value& value);

    int sidebarTab_ = annotationTab;
    bool settings_ = false;
    bool recentFiles_ = false;
    bool moreTools_ = false;
    bool imageDimensions_ = false;
    bool editorHintDismissed_ = false;
    QString resizeWidth_ = QStringLiteral("1200");
    QImage backgroundSource_;
    qint64 backgroundRevision_ = 0;
    bool backgroundPresented_ = false;
};

}  // namespace tavero
