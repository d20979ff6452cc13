#pragma once

#include "platform/Result.h"
#include "recording/RecordedVideo.h"
#include "recording/RecordingSegmentWriting.h"
#include "recording/RecordingSessionState.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tavero {

// Records one take as numbered part files and, when the take ends, joins them
// into the destination. Pausing closes the current part and resuming opens
// the next, so nothing is recorded while paused and every part plays on its
// own. The parts wait in their own folder beside the destination, with a
// recovery note, and that folder goes only after a clean join: a take whose
// join fails, or whose part or resume failed, is never lost.
//
// Main thread only, callbacks included. The join runs off the main thread;
// its answer, like every writer callback, is dropped once it belongs to an
// earlier take (the take's generation) or an earlier writer (its serial
// number: a new writer may well reuse an old one's address).
class RecordingSession : public QObject {
public:
    // Makes the writer of the next part.
    using Factory = std::function<std::unique_ptr<RecordingSegmentWriting>()>;
    // Joins the parts, in recording order, into the destination off the main
    // thread and answers once, on the main thread, with the joined file's
    // duration in seconds.
    using Answer = std::function<void(Result<double>)>;
    using Assemble = std::function<void(QList<RecordedVideo> parts, QString destination, Answer answer)>;

    RecordingSession();
    ~RecordingSession() override;

    RecordingSessionState state() const { return state_; }
    // Every state but idle. Virtual so a test can stand in a running take.
    virtual bool isActive() const;
    // Seconds recorded in this take: the finished parts, plus the current
    // writer's seconds while recording, or the closing part's held seconds
    // while it closes. Does not move while paused.
    double elapsed() const;
    // Pixel size of the take, from the current writer when its part starts.
    QSize videoSize() const { return videoSize_; }

    // A part has really begun writing: the first and every resumed one.
    std::function<void()> onStarted;
    // A pause is complete: the part is closed and validated.
    std::function<void()> onPaused;
    // The take is ending (asked to, or its part ended by itself), and once
    // more when the join begins.
    std::function<void()> onStopping;
    // The take is over: the joined video, or why there is none. Once per take.
    std::function<void(Result<RecordedVideo>)> onFinished;

    // How the parts become the destination; RecordingJoiner::inBackground
    // unless replaced (the camera path mixes its two sound tracks). Set it
    // before begin().
    void setAssemble(Assemble assemble);

    // Starts a take into `destination` (which must not exist yet): checks
    // free space, makes the parts folder with its note and starts the first
    // part. Throws ShotError: a take already running, too little space, the
    // folder or note not made, or the first writer's own refusal; the state
    // then stays idle, and a folder already made goes again.
    void begin(const QString& destination, Factory factory);
    // Closes the current part; only while recording.
    void pause();
    // Opens the next part; only while paused. A refused part ends the take
    // with what was recorded so far.
    void resume();
    // Ends the take; a reason becomes its interruption. Stopped while paused,
    // the parts are joined at once.
    void stop(const std::optional<QString>& reason = std::nullopt);

    // The current or last take: kept until the next begin().
    const QString& destination() const { return destination_; }
    const QString& partsDirectory() const { return partsDirectory_; }
    const QList<RecordedVideo>& segments() const { return segments_; }
    const std::optional<QString>& interruption() const { return interruption_; }
    // Number of the last part begun; a part whose writer refused counts too.
    int partNumber() const { return partNumber_; }

    // "录制片段_<name without extension>" beside the destination.
    static QString partsDirectoryFor(const QString& destination);
    // "片段_001.mp4", growing wider past 999.
    static QString partFileName(int number);

private:
    void startPart();
    void partStarted();
    void partStopping();
    void partFinished(Result<RecordedVideo> result);
    void finishTake();
    void joined(Result<double> duration);
    void completeTake(Result<RecordedVideo> result);
    void removePartsFolderWithoutParts();
    // Drops the current writer, which may be calling us right now: it goes
    // once control is back in the event loop.
    void retireWriter();
    void stopWriter(const std::optional<QString>& reason);
    // Whether a writer callback still speaks for the current part.
    bool current(quint64 generation, quint64 writer) const;

    RecordingSessionState state_ = RecordingSessionState::idle;
    QSize videoSize_;
    std::unique_ptr<RecordingSegmentWriting> segment_;
    Factory factory_;
    Assemble assemble_;
    QString destination_;
    QString partsDirectory_;
    QList<RecordedVideo> segments_;
    double heldDuration_ = 0;
    std::optional<QString> interruption_;
    bool preserveParts_ = false;
    quint64 generation_ = 0;
    quint64 writerSerial_ = 0;
    int partNumber_ = 0;
};

}  // namespace tavero
