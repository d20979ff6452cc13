#pragma once

#include "app/model/AppModel.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/workspace/MoviePlayer.h"
#include "recording_ui/workspace/VideoWorkspace.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace tavero::test {

// A video workspace over a model in a temporary home, as the editor window
// makes it, at the size it has there; trims are counted, not made.
class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness.videoExports.trim = [this](const QString&, double start, double end, const QString&,
                                          VideoExport::Completion done) {
            trims.emplace_back(start, end);
            done(ShotError(QStringLiteral("测试不裁剪。")));
        };
    }

    AppModel& model() { return harness.model(); }
    RecordingStudio& studio() { return model().studio(); }

    // Shows `video` in the model and makes its workspace.
    VideoWorkspace& open(const QString& video) {
        model().setVideoURL(video);
        workspace = std::make_unique<VideoWorkspace>(model(), studio(), video, QStringLiteral("0"),
                                                     QStringLiteral("10"));
        workspace->resize(940, 680);
        return *workspace;
    }

    // A small generated recording in the temporary home.
    QString makeRecording(const QString& name, VideoFixture fixture = {}) {
        const QString path = folder.file(name);
        makeVideo(path, fixture);
        return path;
    }

    bool shows(const QWidget* widget) const { return widget->isVisibleTo(workspace.get()); }

    ModelHarness harness;
    TempDir folder;
    std::vector<std::pair<double, double>> trims;
    std::unique_ptr<VideoWorkspace> workspace;
};

}  // namespace tavero::test
