#include "recording/RecordingSession.h"

#include "platform/files/AtomicFile.h"
#include "platform/threads/MainThread.h"
#include "recording/RecordingDiskSpace.h"
#include "recording/RecordingJoiner.h"
#include "recording/RecordingMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPointer>

namespace tavero {

namespace {

Q_LOGGING_CATEGORY(lcSession, "tavero.recording.session")

QString recoveryNote() {
    return QStringLiteral("录制进行中。暂停期间不录制画面和声音。正常结束后，片段会自动接成完整视频并清理此文件夹。\n"
                          "如录制或合并意外中断，这里的各段 MP4 可以单独播放，请勿在录制时删除。\n");
}

QString resumeFailed(const QString& reason) { return QStringLiteral("继续录制未能启动，已保存暂停前的内容：") + reason; }
QString partInterrupted(const QString& reason) { return QStringLiteral("本段录制中断：") + reason; }
QString joinFailed(const QString& reason, const QString& kept) {
    return QStringLiteral("未能合并录屏：") + reason + QStringLiteral("\n已录制的片段仍保留在：\n") + kept;
}

void makePartsFolder(const QString& folder) {
    if (QDir().mkdir(folder)) return;
    const QFileInfo existing(folder);
    if (existing.exists() || existing.isSymLink())
        throw ShotError(QStringLiteral("未能创建文件夹“%1”：同名文件或文件夹已存在。").arg(folder));
    throw ShotError(QStringLiteral("未能创建文件夹“%1”。").arg(folder));
}

// What the user reads of a writer's failure: its own sentence, or, for any
// other exception, `otherwise` (the exception's text goes to the log).
ShotError asShotError(const std::exception& error, const QString& otherwise) {
    if (const auto* shot = dynamic_cast<const ShotError*>(&error)) return *shot;
    qCWarning(lcSession) << "a part writer failed:" << error.what();
    return ShotError(otherwise);
}

// Calls a callback through a copy: the owner may replace it, or drop the
// session, while it runs.
template <typename Callback, typename... Arguments>
void notify(const Callback& callback, Arguments&&... arguments) {
    if (const Callback copy = callback) copy(std::forward<Arguments>(arguments)...);
}

}  // namespace

RecordingSession::RecordingSession() : assemble_(RecordingJoiner::inBackground) {}

RecordingSession::~RecordingSession() = default;

bool RecordingSession::isActive() const { return state_ != RecordingSessionState::idle; }

double RecordingSession::elapsed() const {
    double total = 0;
    for (const RecordedVideo& part : segments_) total += part.duration;
    if (state_ != RecordingSessionState::recording) return total + heldDuration_;
    return total + (segment_ ? segment_->elapsed() : 0);
}

void RecordingSession::setAssemble(Assemble assemble) { assemble_ = std::move(assemble); }

QString RecordingSession::partsDirectoryFor(const QString& destination) {
    const QFileInfo file(destination);
    return file.dir().filePath(QStringLiteral("录制片段_") + file.completeBaseName());
}

QString RecordingSession::partFileName(int number) {
    return QStringLiteral("片段_%1.mp4").arg(number, 3, 10, QLatin1Char('0'));
}

void RecordingSession::begin(const QString& destination, Factory factory) {
    if (isActive()) throw ShotError(RecordingMessages::alreadyRecording());
    const QString folder = QFileInfo(destination).absolutePath();
    if (const auto issue = RecordingDiskSpace::startIssue(RecordingDiskSpace::available(folder))) throw ShotError(*issue);

    destination_ = destination;
    factory_ = std::move(factory);
    segments_.clear();
    heldDuration_ = 0;
    interruption_.reset();
    preserveParts_ = false;
    videoSize_ = {};
    partNumber_ = 0;
    ++generation_;
    partsDirectory_.clear();

    const QString parts = partsDirectoryFor(destination);
    makePartsFolder(parts);
    partsDirectory_ = parts;
    try {
        writeFileAtomically(QDir(parts).filePath(QStringLiteral("恢复说明.txt")), recoveryNote().toUtf8())
            .orThrow(QStringLiteral("无法在“%1”中写入恢复说明。").arg(parts));
        state_ = RecordingSessionState::starting;
        startPart();
    } catch (const std::exception& error) {
        state_ = RecordingSessionState::idle;
        factory_ = nullptr;
        segment_.reset();
        // Nothing was recorded: the folder would hold its note at most.
        QDir(parts).removeRecursively();
        throw asShotError(error, RecordingMessages::fileNotMade());
    }
}

void RecordingSession::startPart() {
    if (!factory_ || partsDirectory_.isEmpty()) return;
    ++partNumber_;
    const QString path = QDir(partsDirectory_).filePath(partFileName(partNumber_));
    segment_ = factory_();
    const quint64 writer = ++writerSerial_;
    const quint64 generation = generation_;
    const QPointer<RecordingSession> self(this);
    segment_->onStarted = [self, generation, writer] {
        if (self && self->current(generation, writer)) self->partStarted();
    };
    segment_->onStopping = [self, generation, writer] {
        if (self && self->current(generation, writer)) self->partStopping();
    };
    segment_->onFinished = [self, generation, writer](Result<RecordedVideo> result) {
        if (self && self->current(generation, writer)) self->partFinished(std::move(result));
    };
    RecordingSegmentWriting* started = segment_.get();
    started->start(path);
    // A writer may already have reported back from inside start().
    if (current(generation, writer)) videoSize_ = started->videoSize();
}

bool RecordingSession::current(quint64 generation, quint64 writer) const {
    return segment_ && generation == generation_ && writer == writerSerial_;
}

void RecordingSession::partStarted() {
    if (state_ != RecordingSessionState::starting && state_ != RecordingSessionState::resuming) return;
    state_ = RecordingSessionState::recording;
    heldDuration_ = 0;
    videoSize_ = segment_->videoSize();
    notify(onStarted);
}

void RecordingSession::partStopping() {
    if (state_ == RecordingSessionState::pausing || state_ == RecordingSessionState::stopping) return;
    heldDuration_ = segment_->elapsed();
    state_ = RecordingSessionState::stopping;
    notify(onStopping);
}

void RecordingSession::pause() {
    if (state_ != RecordingSessionState::recording || !segment_) return;
    heldDuration_ = segment_->elapsed();
    state_ = RecordingSessionState::pausing;
    stopWriter(std::nullopt);
}

void RecordingSession::resume() {
    if (state_ != RecordingSessionState::paused) return;
    state_ = RecordingSessionState::resuming;
    try {
        startPart();
    } catch (const std::exception& error) {
        segment_.reset();
        preserveParts_ = true;
        interruption_ = resumeFailed(asShotError(error, RecordingMessages::fileNotMade()).message());
        finishTake();
    }
}

void RecordingSession::stop(const std::optional<QString>& reason) {
    if (!isActive() || state_ == RecordingSessionState::stopping || state_ == RecordingSessionState::finishing) return;
    if (reason) interruption_ = reason;
    if (state_ == RecordingSessionState::recording) heldDuration_ = segment_ ? segment_->elapsed() : 0;
    state_ = RecordingSessionState::stopping;
    const QPointer<RecordingSession> self(this);
    notify(onStopping);
    if (!self) return;
    if (segment_)
        stopWriter(reason);
    else
        finishTake();
}

// A writer that cannot even be asked to stop has failed: its part ends the
// take as a failed part would, and nothing it reports later counts.
void RecordingSession::stopWriter(const std::optional<QString>& reason) {
    try {
        segment_->stop(reason);
    } catch (const std::exception& error) {
        partFinished(asShotError(error, RecordingMessages::fileNotCompleted()));
    }
}

void RecordingSession::partFinished(Result<RecordedVideo> result) {
    retireWriter();
    heldDuration_ = 0;
    if (result) {
        const RecordedVideo& part = result.value();
        segments_.append(part);
        if (part.interruption) interruption_ = part.interruption;
        if (state_ == RecordingSessionState::pausing && !interruption_) {
            state_ = RecordingSessionState::paused;
            return notify(onPaused);
        }
        return finishTake();
    }
    preserveParts_ = true;
    interruption_ = partInterrupted(result.error().message());
    if (!segments_.isEmpty()) return finishTake();
    removePartsFolderWithoutParts();
    completeTake(result.error());
}

// A first part that failed before its file was made leaves a folder with
// nothing to recover in it.
void RecordingSession::removePartsFolderWithoutParts() {
    QDir parts(partsDirectory_);
    if (partsDirectory_.isEmpty() || !parts.entryList({QStringLiteral("*.mp4")}, QDir::Files).isEmpty()) return;
    parts.removeRecursively();
}

void RecordingSession::retireWriter() {
    if (!segment_) return;
    postToMain([retired = std::shared_ptr<RecordingSegmentWriting>(std::move(segment_))] {});
}

void RecordingSession::finishTake() {
    if (state_ == RecordingSessionState::finishing || destination_.isEmpty()) return;
    state_ = RecordingSessionState::finishing;
    const QPointer<RecordingSession> self(this);
    notify(onStopping);
    if (!self) return;
    const quint64 generation = generation_;
    const Assemble assemble = assemble_;
    assemble(segments_, destination_, [self, generation](Result<double> duration) {
        if (self && self->generation_ == generation && self->state_ == RecordingSessionState::finishing)
            self->joined(std::move(duration));
    });
}

void RecordingSession::joined(Result<double> duration) {
    if (!duration) {
        const QString kept = partsDirectory_.isEmpty() ? destination_ : partsDirectory_;
        return completeTake(ShotError(joinFailed(duration.error().message(), kept)));
    }
    if (!preserveParts_ && !partsDirectory_.isEmpty()) QDir(partsDirectory_).removeRecursively();
    completeTake(RecordedVideo{destination_, duration.value(), interruption_});
}

void RecordingSession::completeTake(Result<RecordedVideo> result) {
    state_ = RecordingSessionState::idle;
    retireWriter();
    factory_ = nullptr;
    notify(onFinished, std::move(result));
}

}  // namespace tavero
