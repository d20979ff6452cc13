#include "app/Application.h"
#include "selftests/CameraSelfTests.h"
#include "selftests/SelfTests.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Arguments are compared whole and case-sensitively, the program path included.
bool hasArgument(int argc, char** argv, std::string_view wanted) {
    for (int i = 0; i < argc; ++i)
        if (argv[i] == wanted) return true;
    return false;
}

// The camera suite runs on the event loop; its answer ends the loop with
// the process's status.
int runCameraPipelineTest(int argc, char** argv) {
    // The suite draws only into images: it needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    tavero::selftests::CameraSelfTests::run([](std::optional<QString> failure) {
        if (failure) {
            std::printf("FAIL: %s\n", failure->toUtf8().constData());
            std::fflush(stdout);
        }
        QCoreApplication::exit(failure ? EXIT_FAILURE : EXIT_SUCCESS);
    });
    return application.exec();
}

}  // namespace

int main(int argc, char** argv) {
    // The camera switch is tested first: with both switches only it runs.
    if (hasArgument(argc, argv, "--camera-pipeline-test")) return runCameraPipelineTest(argc, argv);
    if (hasArgument(argc, argv, "--self-test")) tavero::selftests::runSelfTests(argc, argv);
    return tavero::runApplication(argc, argv);
}
