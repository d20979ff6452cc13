#pragma once

#include "platform/Result.h"
#include "platform/files/PendingFile.h"
#include "platform/media/MediaTracks.h"
#include "recording/RecordedVideo.h"

#include <QList>
#include <QString>

#include <functional>

// The steps the segment joiner and the audio-mixing joiner share: their
// sentences, the free-space rule, and writing their output under a hidden
// name that is published only once it has proved itself.
namespace tavero::JoinSteps {

// Room a join keeps free beyond the bytes it writes.
inline constexpr qint64 joinReserve = 500'000'000;

inline QString noParts() { return QStringLiteral("没有可保存的录制片段。"); }
inline QString noRoom() { return QStringLiteral("空间不足以合并片段，请腾出空间。"); }
inline QString destinationTaken() { return QStringLiteral("目标位置已有同名文件，没有覆盖它。"); }
inline QString writeFailed() { return QStringLiteral("合并片段时写入失败，请确认磁盘空间充足。"); }
inline QString partUnreadable() { return QStringLiteral("录制片段无法读取，已保留片段。"); }

// The video and sound tracks of a part. Throws ShotError(partUnreadable).
QList<media::MediaTrack> tracksOf(const QString& part);

// Throws ShotError(destinationTaken) when anything, a dangling link
// included, carries the destination's name.
void refuseExisting(const QString& destination);
// Throws ShotError(noRoom) unless `bytes` plus the join reserve fit in the
// destination's folder; unknown free space lets the join go ahead.
void requireRoom(qint64 bytes, const QString& destination);
// The parts' total size; a part whose size cannot be read counts nothing.
qint64 totalSize(const QList<RecordedVideo>& parts);

// A hidden file beside the destination to write into. Throws ShotError.
PendingFile reserve(const QString& destination);
// Gives the written file its final name, never over an existing file.
// Throws ShotError.
void publish(PendingFile& output);

// Runs `join` on the worker pool and hands its answer to `answer` on the
// main thread.
void inBackground(std::function<double()> join, std::function<void(Result<double>)> answer);

}  // namespace tavero::JoinSteps
