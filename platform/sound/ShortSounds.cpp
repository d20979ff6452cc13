#include "platform/sound/ShortSounds.h"

#include <QAudioDevice>
#include <QDataStream>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace tavero {

namespace {

constexpr int rate = 48000;
// Qt closes a sound effect's stream as soon as it has handed the last sample
// to the sound server, and the server drops what it has not played yet: on a
// busy machine a sound shorter than the stream's buffer (about 0.15 s) was
// never heard. Silence after each sound is what gets cut instead.
constexpr double trailingSilence = 0.4;

// One sample of a sound at `t` seconds, within -1 … 1.
using Tone = std::function<double(double t)>;

// A bright, quickly fading bell: a high partial over its fundamental.
double tink(double t) {
    const double attack = std::min(1.0, t / 0.002);
    const double fundamental = std::sin(2 * std::numbers::pi * 2350 * t);
    const double partial = std::sin(2 * std::numbers::pi * 7270 * t);
    return 0.45 * attack * std::exp(-t / 0.035) * (fundamental + 0.35 * partial);
}

// A short drop in pitch that dies away at once.
double pop(double t) {
    const double attack = std::min(1.0, t / 0.001);
    // The phase of a sweep from 900 Hz falling towards 180 Hz.
    const double phase = 2 * std::numbers::pi * (180 * t + 720 * 0.012 * (1 - std::exp(-t / 0.012)));
    return 0.6 * attack * std::exp(-t / 0.018) * std::sin(phase);
}

// `seconds` of `tone` followed by the trailing silence.
QByteArray waveOf(const Tone& tone, double seconds) {
    const int sounding = int(seconds * rate);
    const int frames = sounding + int(trailingSilence * rate);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const auto tag = [&out](const char* text) { out.writeRawData(text, 4); };
    tag("RIFF");
    out << quint32(36 + 2 * frames);
    tag("WAVE");
    tag("fmt ");
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(2 * rate) << quint16(2) << quint16(16);
    tag("data");
    out << quint32(2 * frames);
    for (int frame = 0; frame < frames; ++frame) {
        const double sample = frame < sounding ? tone(double(frame) / rate) : 0.0;
        out << qint16(std::lround(32767 * std::clamp(sample, -1.0, 1.0)));
    }
    return bytes;
}

// The sound called `name` as a WAV file: 48 kHz, mono, 16 bits; empty for
// another name.
QByteArray waveNamed(const QString& name) {
    if (name == QLatin1String("Tink")) return waveOf(tink, 0.2);
    if (name == QLatin1String("Pop")) return waveOf(pop, 0.1);
    return {};
}

}  // namespace

ShortSounds::ShortSounds() = default;

ShortSounds::~ShortSounds() = default;

void ShortSounds::play(const QString& name) {
    if (QMediaDevices::defaultAudioOutput().isNull()) return;
    if (QSoundEffect* sound = effect(name)) sound->play();
}

// Made on its first play; a sound still loading plays once it is loaded.
QSoundEffect* ShortSounds::effect(const QString& name) {
    if (const auto made = effects_.find(name); made != effects_.end()) return made->second.get();
    const QByteArray bytes = waveNamed(name);
    if (bytes.isEmpty()) return nullptr;
    // The folder is made on the first play too, so a program that never
    // plays (or is ended before it does) leaves no folder behind.
    if (!folder_) folder_.emplace();
    if (!folder_->isValid()) return nullptr;
    QFile file(folder_->filePath(name + QStringLiteral(".wav")));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return nullptr;
    file.close();
    auto sound = std::make_unique<QSoundEffect>();
    sound->setSource(QUrl::fromLocalFile(file.fileName()));
    return effects_.emplace(name, std::move(sound)).first->second.get();
}

}  // namespace tavero
