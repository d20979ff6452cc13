#include "editor_ui/style/ProgramStyle.h"
#include "platform/Fonts.h"
#include "platform/sound/MediaBackend.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

// What CTest counts as a skipped test (SKIP_RETURN_CODE in tests/CMakeLists.txt).
constexpr int skippedExitCode = 77;

bool everyTestRunSkipped() {
    const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
    return unit.test_to_run_count() > 0 && unit.skipped_test_count() == unit.test_to_run_count();
}

}  // namespace

// Every test binary runs with a QApplication (offscreen unless the test asks
// for a display) in the program's style, so images, fonts, widgets, their
// focus marks and the video player behave as in the program.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    tavero::chooseMediaBackend();
    QApplication app(argc, argv);
    tavero::ProgramStyle::install();
    tavero::Fonts::load();
    testing::InitGoogleTest(&argc, argv);
    // An executable whose every test skipped did not test anything: CTest
    // says so rather than count it as passed.
    const int result = RUN_ALL_TESTS();
    return result == 0 && everyTestRunSkipped() ? skippedExitCode : result;
}
