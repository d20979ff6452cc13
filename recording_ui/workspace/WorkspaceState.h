#pragma once

#include "camera/RecordingProject.h"

#include <QString>

#include <optional>

namespace tavero {

class RecordingStudio;

// What the video workspace shows of the studio, taken whole on every change
// of it: the render that runs and the recording project of the shown video
// with its raw and finished files. Videos are compared as paths. A plain
// value; main thread.
struct WorkspaceState {
    bool processing = false;
    // 0 to 1.
    double progress = 0;
    std::optional<RecordingProject> project;
    std::optional<QString> rawURL;
    std::optional<QString> outputURL;

    static WorkspaceState of(const RecordingStudio& studio);

    // The project says the camera portrait is in the video already.
    bool portraitBaked() const;
    // The shown video `url` is the project's raw or finished one.
    bool versionRowVisible(const QString& url) const;
    // Which version `url` is: "人像成片", "原始录屏" or "讲解成片".
    QString versionText(const QString& url) const;
    // The other version, when there is one to switch to from `url`.
    std::optional<QString> rawToOffer(const QString& url) const;
    std::optional<QString> finishedToOffer(const QString& url) const;
    // The line under the trim row.
    QString footer() const;
    // The progress within 0 … 1, 0 for a value that is no number.
    double progressFraction() const;
    // The whole percentage shown, truncated: 42 at 0.426.
    int progressPercent() const;
    // "正在生成讲解成片 · 42% · 原片已保存".
    QString progressText() const;
};

// Seconds typed into a trim field: the whole text as a C-locale number
// ("1.5", "4", "2e1", "+3"); none for anything else, blanks around it, a
// comma as the decimal separator, an empty text, an infinity or a NaN.
std::optional<double> trimSeconds(const QString& text);

}  // namespace tavero
