// The walk through the practice in order, home and resume are checked by the
// program's own test; these cover every event from every state.
#include "app/model/ScreenAccessIntent.h"
#include "app/model/WorkspaceFlow.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace tavero;
using Step = ScreenshotPracticeStep;

namespace {

WorkspaceFlow atStep(std::optional<Step> step) { return WorkspaceFlow{false, step}; }

struct Event {
    const char* name;
    std::function<void(WorkspaceFlow&)> apply;
    std::optional<Step> from;  // the only step the event advances
    Step to;
};

const std::vector<Event> progressEvents = {
    {"annotated", [](WorkspaceFlow& flow) { flow.annotated(); }, Step::annotate, Step::background},
    {"framed", [](WorkspaceFlow& flow) { flow.framed(); }, Step::background, Step::share},
    {"shared", [](WorkspaceFlow& flow) { flow.shared(); }, Step::share, Step::complete},
};

}  // namespace

// Every progress event, from every state: only its own predecessor moves.
TEST(WorkspaceFlow, AdvancesOnlyFromTheStepBefore) {
    const std::vector<std::optional<Step>> states = {std::nullopt, Step::annotate, Step::background, Step::share,
                                                     Step::complete};
    for (const Event& event : progressEvents) {
        for (const auto& state : states) {
            for (bool home : {false, true}) {
                WorkspaceFlow flow{home, state};
                event.apply(flow);
                const auto expected = state == event.from ? std::optional(event.to) : state;
                EXPECT_EQ(flow, (WorkspaceFlow{home, expected}))
                    << event.name << " from " << (state ? int(*state) : -1) << (home ? " at home" : "");
            }
        }
    }
}

TEST(WorkspaceFlow, ThePracticePictureRestartsAFinishedPracticeFromTheStartScreen) {
    WorkspaceFlow flow{true, Step::complete};
    flow.openContent(true);
    EXPECT_EQ(flow, atStep(Step::annotate));
}

TEST(ScreenshotPracticeStep, ExistsOnlyForRawValuesZeroToThree) {
    EXPECT_EQ(practiceStep(-1), std::nullopt);
    EXPECT_EQ(practiceStep(4), std::nullopt);
    for (int raw = 0; raw < 4; ++raw) EXPECT_EQ(int(practiceStep(raw).value()), raw);
}

TEST(ScreenAccessIntent, IsIdentifiedByItsKindAlone) {
    const auto area = ScreenAccessIntent::screenshot(CaptureMode::area, false);
    const auto scrollingWindow = ScreenAccessIntent::screenshot(CaptureMode::window, true);
    EXPECT_EQ(scrollingWindow.id(), area.id());
    EXPECT_NE(scrollingWindow, area) << "the payload is what gets replayed";
    EXPECT_NE(ScreenAccessIntent::recording(true).id(), area.id());
}
