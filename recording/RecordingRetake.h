#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tavero {

// Puts a discarded take aside where the user can still fetch it back: the
// clip and its companion files (the project sidecar, the background still)
// go into one folder beside the clip, "重录片段_" plus the clip's base name,
// and that folder goes to the Trash. All or nothing: when a move or the Trash
// fails, every file is moved back and the take stays exactly as it was.
// Synchronous file work without shared state; the studio runs it off the
// main thread.
namespace RecordingRetake {

// Disposes of the filled folder; throws ShotError when it cannot.
using Recycle = std::function<void(const QString& folder)>;

// Moves the item at `path` into the user's Trash; throws ShotError when the
// Trash refuses it.
void moveToTrash(const QString& path);

// The folder a clip's take is gathered in.
QString archiveFolder(const QString& clip);

// Moves `clip` and those `companions` that exist into archiveFolder(clip),
// then hands the folder to `recycle`. Every companion must lie in the clip's
// folder. Throws ShotError; on failure nothing stays moved.
void archive(const QString& clip, const QStringList& companions, const Recycle& recycle = moveToTrash);

namespace messages {
inline QString clipMissing() { return QStringLiteral("当前片段尚未保存，无法重录。"); }
inline QString companionElsewhere() { return QStringLiteral("重录片段的关联文件不在同一文件夹中，已保留原片。"); }
inline QString notArchived(const QString& reason) {
    return QStringLiteral("未能将当前段移到废纸篓，已停止重录。文件仍保留在桌面「岚帧」中：") + reason;
}
}  // namespace messages

}  // namespace RecordingRetake
}  // namespace tavero
