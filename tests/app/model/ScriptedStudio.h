#pragma once

#include "recording/studio/RecordingStudio.h"

#include <QStringList>

namespace tavero::test {

// A recording studio whose phase the test sets, and which notes the videos
// whose project it was asked to load.
class ScriptedStudio final : public RecordingStudio {
public:
    using RecordingStudio::RecordingStudio;
    using RecordingStudio::setPhase;

    void loadProject(const QString& videoPath) override { loadedProjects.append(videoPath); }

    QStringList loadedProjects;
};

}  // namespace tavero::test
