#pragma once

#include "tests/support/TempDir.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace tavero::test {

// A PulseAudio server of the test's own on a private runtime folder, with
// the null sink "test_sink" (its monitor is the system sound) and the sine
// source "test_mic" (the microphone). While it lives, this process and the
// programs it starts talk to it (PULSE_SERVER) and to no other.
class SoundServer {
public:
    explicit SoundServer(int microphoneFrequency = 440);
    // Stops the server and points sound clients back where they were.
    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    // Whether it answers; false when pulseaudio is missing or did not start:
    //     if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    // (tests/support/SkipUnlessRequired.h), which fails where the run may skip no test.
    bool running() const { return running_; }
    // Runs pactl against this server; true when it succeeded.
    bool control(const QStringList& arguments) const;
    // The streams that play into its outputs now (pactl's sink inputs); -1
    // when it does not answer.
    int playbackStreams() const;
    // The sink's monitor becomes the default input, as on a computer without
    // a microphone of its own; the sine source stays as a second input.
    bool makeMonitorTheDefaultInput() const;
    // Takes the sine source away, as when a microphone is unplugged: the
    // monitor is then the only input, and the server moves the sine
    // source's streams to it.
    bool unplugMicrophone() const;
    // Plays a steady tone into the sink (a sine module of the server) and
    // returns once the sink plays it in real time. Unless `realTime` is
    // false: then the sink mixes it up to 2 s ahead, as under a player that
    // asks for a long buffer, and a stream newly opened on its monitor hears
    // nothing for up to that long.
    bool playTone(int frequency, bool realTime = true);
    // Ends the server at once, as a crash would.
    void kill();
    // Starts the server again on the same socket, as a restarted or
    // upgraded one comes back; true once it answers.
    bool restart();

private:
    void start();
    bool keepSinkPlaying();

    const int microphoneFrequency_;
    TempDir runtime_;
    QProcess server_;
    QProcess listener_;
    QByteArray previous_;
    bool hadPrevious_ = false;
    bool running_ = false;
};

// Points sound clients at a server that does not exist for the life of the
// object, as on a machine without sound.
class NoSoundServer {
public:
    NoSoundServer();
    ~NoSoundServer();

private:
    TempDir runtime_;
    QByteArray previous_;
    bool hadPrevious_ = false;
};

}  // namespace tavero::test
