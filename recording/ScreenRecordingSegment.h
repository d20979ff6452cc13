#pragma once

#include "platform/Scheduler.h"
#include "recording/RecordingCaptureSettings.h"
#include "recording/RecordingFinalizer.h"
#include "recording/RecordingSegmentWriting.h"
#include "recording/ScreenCapture.h"

#include <QObject>

#include <memory>

namespace tavero {

// What a screen segment writer records with; tests replace the capture, the
// check of the file and the clock.
struct ScreenRecordingServices {
    ScreenCapture::Open open = openLiveScreenCapture;
    RecordingFinalizer::Validate validate = RecordedVideoValidation::inBackground;
    Scheduler* scheduler = &Scheduler::main();
};

// Writes one screen part: a ScreenCapture of the display, area or window of
// its settings records the part file, and a RecordingFinalizer waits for the
// file to be completed, validates it and delivers the part once. Sized from
// the source (even sides), or at the settings' fixed size.
//
// Created → started (capture present) → writing (onStarted) → stopping
// (asked to, failed, or not started within 20 s) → finalising → finished
// (onFinished; capture and finaliser dropped). One part per writer.
//
// Main thread only. Reports of the capture, the finaliser and the start-up
// time-out hold the writer weakly and carry the serial number of the capture
// they belong to; reports of an earlier capture are dropped.
class ScreenRecordingSegment : public QObject, public RecordingSegmentWriting {
public:
    static constexpr Seconds startLimit{20.0};
    static constexpr double saveLimit = 25.0;
    static constexpr double interruptedSaveLimit = 8.0;

    explicit ScreenRecordingSegment(RecordingCaptureSettings settings, ScreenRecordingServices services = {});
    ~ScreenRecordingSegment() override;

    QSize videoSize() const override { return videoSize_; }
    double elapsed() const override;
    // Refuses (ShotError) a second start, less free space than a recording
    // needs (every part, resumed ones too), and a capture that cannot open.
    void start(const QString& path) override;
    void stop(const std::optional<QString>& reason = std::nullopt) override;

    bool isActive() const { return capture_ != nullptr; }

    // The root pixels a part of `settings` records, our own windows listed.
    static ScreenScope scopeOf(const RecordingCaptureSettings& settings);

private:
    void captureStarted();
    void captureFinished();
    // The capture failed (`ended`: it can no longer report, so its file is as
    // complete as it will get).
    void interrupted(const QString& description, bool ended);
    void finalized(Result<RecordedVideo> result);
    void endCapture();

    const RecordingCaptureSettings settings_;
    const ScreenRecordingServices services_;
    std::unique_ptr<ScreenCapture> capture_;
    std::unique_ptr<RecordingFinalizer> finalizer_;
    std::unique_ptr<ScheduledCall> timeout_;
    QString path_;
    bool stopRequested_ = false;
    quint64 sessionID_ = 0;
    QSize videoSize_;
};

}  // namespace tavero
