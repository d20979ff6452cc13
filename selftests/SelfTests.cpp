#include "selftests/SelfTests.h"

#include "platform/Fonts.h"
#include "platform/ShotError.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTestRun.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QUuid>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tavero::selftests {

namespace {

QString newWorkFolder() {
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    return QDir(QDir::tempPath()).filePath(QStringLiteral("Vistagon-tests-") + id);
}

void writeLine(std::FILE* stream, const QString& text) {
    std::fputs((text + '\n').toUtf8().constData(), stream);
    std::fflush(stream);
}

// Runs the groups; the message of the first failure, or none when all passed.
std::optional<QString> runGroups(const std::vector<CheckGroup>& groups, SelfTestRun& run) {
    try {
        for (CheckGroup group : groups) group(run);
        return std::nullopt;
    } catch (const ShotError& error) {
        return error.message();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("FAIL: an unknown exception ended the run");
    }
}

// Standard output and standard error carry the suite's own lines and nothing
// else, so Qt's diagnostics (a missing runtime folder, font notes) are
// dropped while the suite runs.
void dropQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

const std::vector<CheckGroup>& selfTestGroups() {
    static const std::vector<CheckGroup> groups = {
        checkWorkspaceFlow,
        checkCaptureSizes,
        checkRendering,
        checkStitching,
        checkDocuments,
        checkEditableText,
        checkLibrary,
        checkRetake,
        checkRecognition,
    };
    return groups;
}

int runSelfTestGroups(const std::vector<CheckGroup>& groups, std::FILE* out, std::FILE* err) {
    const QString folder = newWorkFolder();
    try {
        std::filesystem::create_directories(QFile::encodeName(folder).toStdString());
    } catch (const std::exception& error) {
        writeLine(err, QString::fromUtf8(error.what()));
        return EXIT_FAILURE;
    }
    SelfTestRun run(out, folder);
    const std::optional<QString> failure = runGroups(groups, run);
    if (failure) {
        QDir(folder).removeRecursively();
        writeLine(err, *failure);
        return EXIT_FAILURE;
    }
    writeLine(out, QStringLiteral("ALL %1 TESTS PASSED").arg(run.passed()));
    QDir(folder).removeRecursively();
    return EXIT_SUCCESS;
}

void runSelfTests(int argc, char** argv) {
    // The suite draws only into images: it needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropQtMessages);
    int status = EXIT_FAILURE;
    {
        QGuiApplication application(argc, argv);
        Fonts::load();
        status = runSelfTestGroups(selfTestGroups(), stdout, stderr);
    }
    std::exit(status);
}

}  // namespace tavero::selftests
