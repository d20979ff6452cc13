#include "app/model/WorkspaceFlow.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTestRun.h"

namespace tavero::selftests {

void checkWorkspaceFlow(SelfTestRun& run) {
    using Step = ScreenshotPracticeStep;
    WorkspaceFlow flow;
    run.check(flow.showingHome && !flow.practice, QStringLiteral("first launch starts with task choices, not an empty editor"));

    flow.openContent(true);
    run.check(!flow.showingHome && flow.practice == Step::annotate,
              QStringLiteral("sample starts an optional annotation practice"));

    flow.shared();
    flow.framed();
    run.check(flow.practice == Step::annotate, QStringLiteral("unrelated actions do not skip the first practice step"));

    flow.annotated();
    flow.goHome();
    run.check(flow.showingHome && flow.practice == Step::background,
              QStringLiteral("home keeps the current practice progress"));

    flow.resume();
    flow.framed();
    run.check(!flow.showingHome && flow.practice == Step::share,
              QStringLiteral("resume continues where the user left off"));

    flow.shared();
    run.check(flow.practice == Step::complete, QStringLiteral("practice completes after sharing the prepared image"));

    flow.openContent(false);
    run.check(!flow.showingHome && !flow.practice, QStringLiteral("real content leaves the sample walkthrough"));
}

}  // namespace tavero::selftests
