#include "app/Application.h"

#include "app/AppDelegate.h"
#include "app/Appearance.h"
#include "app/ProgramEnd.h"
#include "app/SingleInstance.h"
#include "editor_ui/style/AppIconArt.h"
#include "platform/AppBrand.h"
#include "platform/GlobalHotKeys.h"
#include "platform/PointerSource.h"
#include "platform/ScreenSource.h"
#include "recording/ScreenRecorder.h"

#include <QApplication>
#include <QFileInfo>
#include <QSessionManager>

#include <cstdio>
#include <cstdlib>

namespace tavero {

namespace {

// How long a quit waits for work left on the shared pool.
constexpr std::chrono::seconds workerGrace(3);

// Qt ends the process when it cannot reach the display; say why first.
bool displayReachable() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && platform != QLatin1String("xcb")) return true;
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) return true;
    std::fputs("岚帧 Tavero 需要 X11 图形桌面，但没有找到显示（DISPLAY 未设置）。\n", stderr);
    return false;
}

// Files given on the command line, as absolute paths: everything but the
// program and the switches.
QStringList fileArguments(const QStringList& arguments) {
    QStringList files;
    for (const QString& argument : arguments.mid(1))
        if (!argument.startsWith(QLatin1Char('-'))) files.append(QFileInfo(argument).absoluteFilePath());
    return files;
}

void nameApplication() {
    QCoreApplication::setOrganizationName(AppBrand::englishName);
    QCoreApplication::setApplicationName(AppBrand::englishName);
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVERO_VERSION));
    QGuiApplication::setWindowIcon(appIconArt());
}

// Quitting through the session manager passes the same gate as every quit.
void connectLifeCycle(QApplication& application, AppDelegate& delegate, SingleInstance& instance) {
    QObject::connect(&instance, &SingleInstance::started, &delegate, &AppDelegate::started);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &delegate, [&delegate](QSessionManager& manager) {
        if (!delegate.shouldTerminate()) manager.cancel();
    });
    QObject::connect(&application, &QGuiApplication::applicationStateChanged, &delegate,
                     [&delegate](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive) delegate.becameActive();
                     });
}

}  // namespace

int runApplication(int argc, char** argv) {
    if (!displayReachable()) return EXIT_FAILURE;
    QApplication application(argc, argv);
    nameApplication();
    const QStringList arguments = QCoreApplication::arguments();
    const QStringList files = fileArguments(arguments);
    SingleInstance instance;
    if (instance.handOver(files)) return EXIT_SUCCESS;
    instance.listen();

    applyAppearance(application);
    int status = EXIT_SUCCESS;
    {
        AppDelegateSetup setup;
        setup.model.screen = makeScreenSource();
        setup.model.pointer = makePointerSource();
        setup.hotKeys = makeGlobalHotKeys();
        AppDelegate delegate(std::move(setup));
        connectLifeCycle(application, delegate, instance);
        delegate.launch(arguments);
        if (!files.isEmpty()) delegate.started(files);
        status = application.exec();
    }
    return endOnceWorkersStop(status, workerGrace);
}

}  // namespace tavero
