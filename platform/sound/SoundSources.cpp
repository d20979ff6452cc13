#include "platform/sound/SoundSources.h"

#include "platform/ShotError.h"
#include "platform/sound/PulseConnection.h"

#include <QLoggingCategory>

namespace tavero {

namespace {
Q_LOGGING_CATEGORY(lcSoundSources, "tavero.sound")
}

std::optional<SoundSource> chooseMicrophone(const QByteArray& defaultSource, const QList<SoundSource>& sources) {
    for (const SoundSource& source : sources)
        if (source.name == defaultSource && !source.monitor) return source;
    for (const SoundSource& source : sources)
        if (!source.monitor) return source;
    return std::nullopt;
}

SoundSources findSoundSources() {
    try {
        PulseConnection connection;
        PulseConnection::Locked locked(connection);
        const std::optional<PulseDevice> microphone = connection.microphone();
        return {true, microphone ? std::optional<QString>(microphone->description) : std::nullopt};
    } catch (const ShotError& error) {
        qCInfo(lcSoundSources) << "no sound server:" << error.message();
        return {};
    }
}

}  // namespace tavero
