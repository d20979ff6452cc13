#include "app/Application.h"
#include "app/CommandLine.h"
#include "selftests/CameraSelfTests.h"
#include "selftests/SelfTests.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace {

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
    const tavero::CommandLine commandLine = tavero::CommandLine::parse(argc, argv);
    if (commandLine.has(QStringLiteral("--camera-pipeline-test"))) return runCameraPipelineTest(argc, argv);
    if (commandLine.has(QStringLiteral("--self-test"))) tavero::selftests::runSelfTests(argc, argv);
    return tavero::runApplication(argc, argv);
}
