#include "app/Application.h"

#include "app/AccessiblePopups.h"
#include "app/ActiveWindowSync.h"
#include "app/AppDelegate.h"
#include "app/Appearance.h"
#include "app/CommandLine.h"
#include "app/PressedMenus.h"
#include "app/ProgramEnd.h"
#include "app/SingleInstance.h"
#include "document/ImageLoopPool.h"
#include "editor_ui/style/AppIconArt.h"
#include "platform/AppBrand.h"
#include "platform/desktop/GlobalHotKeys.h"
#include "platform/desktop/PointerSource.h"
#include "platform/desktop/ScreenSource.h"
#include "platform/desktop/WorkspaceWindows.h"
#include "platform/desktop/X11WindowFocus.h"
#include "platform/files/FileNames.h"
#include "platform/media/CancelToken.h"
#include "platform/memory/AllocatorSettings.h"
#include "platform/process/TerminationSignal.h"
#include "platform/sound/MediaBackend.h"
#include "platform/sound/ShortSounds.h"
#include "recording/ScreenRecorder.h"
#include "recording_ui/PortraitOverlayWindow.h"
#include "recording_ui/RecordingOverlayWindows.h"

#include <QApplication>
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

// The command line once Qt has taken its own options from the part before
// "--" (`optionCount` entries of argv, now fewer): what Qt left there, and
// everything from "--" on, untouched.
CommandLine programArguments(int optionCount, char** argv, int end, int argc) {
    QList<QByteArray> arguments;
    for (int index = 1; index < optionCount; ++index) arguments.append(QByteArray(argv[index]));
    for (int index = end; index < argc; ++index) arguments.append(QByteArray(argv[index]));
    CommandLine commandLine = CommandLine::parse(arguments);
    for (QString& file : commandLine.files) file = absoluteFileName(file);
    return commandLine;
}

// The running program did not confirm this start: the files did not reach it.
int saySecondStartNotTaken(const QStringList& files) {
    std::fputs(files.isEmpty() ? "岚帧 Tavero 已在运行，但没有回应这次启动。\n"
                               : "岚帧 Tavero 已在运行，但没有接收要打开的文件。\n",
               stderr);
    return EXIT_FAILURE;
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

AppDelegateSetup programSetup(ShortSounds& sounds) {
    AppDelegateSetup setup;
    setup.model.screen = makeScreenSource();
    setup.model.pointer = makePointerSource();
    setup.model.playSound = [&sounds](const QString& name) { sounds.play(name); };
    setup.model.makeRecordingOverlay = [](RecordingStudio& studio) {
        return std::make_unique<RecordingOverlayWindows>(studio);
    };
    setup.model.makePortraitOverlay = [] { return std::make_unique<PortraitOverlayWindow>(); };
    setup.hotKeys = makeGlobalHotKeys();
    return setup;
}

int runApplication(int argc, char** argv) {
    giveLargeBlocksBackWhenFreed();
    allocateFromOneArena();
    runImageLoopsOnOwnPool();
    if (!displayReachable()) return EXIT_FAILURE;
    const int end = CommandLine::optionCount(argc, argv);
    int optionCount = end;
    chooseMediaBackend();
    listPopupsForScreenReaders();
    QApplication application(optionCount, argv);
    closeMenusPressedByScreenReaders();
    castNoShadowFromFloatingWindows();
    nameApplication();
    const CommandLine commandLine = programArguments(optionCount, argv, end, argc);
    const QStringList& files = commandLine.files;
    SingleInstance instance;
    switch (instance.handOver(files)) {
    case SingleInstance::HandOver::delivered: return EXIT_SUCCESS;
    case SingleInstance::HandOver::notConfirmed: return saySecondStartNotTaken(files);
    case SingleInstance::HandOver::noProgram: break;
    }
    instance.listen();

    applyAppearance(application);
    const ActiveWindowSync activeWindow(application);
    keepKeyboardOffHiddenAndBlockedWindows();
    int status = EXIT_SUCCESS;
    {
        ShortSounds sounds;
        AppDelegate delegate(programSetup(sounds));
        connectLifeCycle(application, delegate, instance);
        const TerminationSignal termination([&delegate] { delegate.terminate(); });
        delegate.launch(commandLine.given);
        if (!files.isEmpty()) delegate.started(files);
        status = application.exec();
        // Whatever media work is left gives up its reads now, so neither the
        // delegate's render nor the pool's exports keep the end waiting.
        media::CancelToken::cancelAll();
    }
    return endOnceWorkersStop(status, workerGrace);
}

}  // namespace tavero
