#pragma once

#include <QString>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <optional>

class QSoundEffect;

namespace tavero {

// The program's two short sounds: "Tink", a light chime as a take begins,
// and "Pop", a soft pop once it is saved. Both are made here as tones and
// played through Qt Multimedia (see chooseMediaBackend); a machine without
// an audio output plays nothing and says nothing. Nothing touches the sound system before the first play. Main
// thread.
class ShortSounds {
public:
    ShortSounds();
    ~ShortSounds();
    ShortSounds(const ShortSounds&) = delete;
    ShortSounds& operator=(const ShortSounds&) = delete;

    // Plays the sound called `name`; another name plays nothing.
    void play(const QString& name);

private:
    QSoundEffect* effect(const QString& name);

    std::optional<QTemporaryDir> folder_;
    std::map<QString, std::unique_ptr<QSoundEffect>> effects_;
};

}  // namespace tavero
