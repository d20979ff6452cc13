#pragma once

#include "recording/RecordingHost.h"
#include "recording/RecordingPhase.h"

#include <QObject>
#include <QPointer>

namespace tavero {

// The recording controller that the model, the menus, the status item, the
// hot keys and the main window drive. It publishes its phase, whether a
// finished video is being rendered and whether the set-up sheet shows, and
// reaches its model only through RecordingHost, held weakly.
//
// This build has no recording engine: the studio stays idle and never starts
// a take. Each action does what it does in the idle phase with nothing
// rendering: a record request opens the set-up sheet; pausing, retaking,
// stopping, cancelling a render and loading a video's project find nothing
// to act on.
//
// Created by the model on first use and kept for its whole life; main thread.
class RecordingStudio : public QObject {
    Q_OBJECT
    Q_PROPERTY(tavero::RecordingPhase phase READ phase NOTIFY phaseChanged)
    Q_PROPERTY(bool processing READ processing NOTIFY processingChanged)
    Q_PROPERTY(bool setupVisible READ setupVisible WRITE setSetupVisible NOTIFY setupVisibleChanged)

public:
    explicit RecordingStudio(RecordingHost& model, QObject* parent = nullptr);

    RecordingPhase phase() const { return phase_; }
    // A finished recording is being rendered.
    bool processing() const { return processing_; }
    // Seconds recorded so far in the current take; finite, never negative.
    double elapsed() const { return elapsed_; }
    // The set-up sheet shows; closing the sheet sets it back to false.
    bool setupVisible() const { return setupVisible_; }
    void setSetupVisible(bool visible);

    // The record command: idle, it prepares a new take (or says that a render
    // runs); in every other phase it stops.
    void toggle(bool preferRegion);
    void togglePause();
    // Retakes the current segment while recording or paused.
    void restart();
    // Ends whatever runs in an orderly way; returns at once.
    void stop();
    // Cancels a running render; the raw recording stays.
    void cancelExport();
    // Makes the project saved beside `videoPath` the current one, unless a
    // render runs.
    virtual void loadProject(const QString& videoPath);

signals:
    void phaseChanged();
    void processingChanged();
    void setupVisibleChanged();

protected:
    void setPhase(RecordingPhase phase);

private:
    // The model, or null once it is gone.
    RecordingHost* model() const;

    RecordingHost* model_;
    QPointer<QObject> modelObject_;
    RecordingPhase phase_;
    bool processing_ = false;
    double elapsed_ = 0;
    bool setupVisible_ = false;
};

}  // namespace tavero
