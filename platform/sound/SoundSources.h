#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tavero {

// What the sound server offers a take, as far as the take must know before
// it begins.
struct SoundSources {
    // A sound server answered.
    bool server = false;
    // The microphone a take records (the one openSoundCapture opens), as the
    // server describes it to people; none when every input only repeats an
    // output.
    std::optional<QString> microphone;

    bool operator==(const SoundSources&) const = default;
};

// Asks the sound server, never starting one. Blocks for a few round trips,
// and gives up after a few seconds on a server that does not answer. Any thread.
SoundSources findSoundSources();

// An input of the sound server, in the server's order.
struct SoundSource {
    QByteArray name;
    QString description;
    // It repeats what an output plays: no microphone.
    bool monitor = false;
};

// The microphone among `sources`: the default input unless that is a
// monitor or missing, else the first input that is not a monitor.
std::optional<SoundSource> chooseMicrophone(const QByteArray& defaultSource, const QList<SoundSource>& sources);

}  // namespace tavero
