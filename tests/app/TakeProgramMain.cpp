// The program as a user runs it, but for one thing: as soon as the recording
// set-up sheet has read its targets, the sheet's start is called for the
// whole display, as its 开始录制 button does. For the test that ends the
// program in the middle of a take.
#include "app/AppDelegate.h"
#include "app/Application.h"
#include "platform/AppBrand.h"
#include "platform/desktop/GlobalHotKeys.h"
#include "platform/desktop/PointerSource.h"
#include "platform/desktop/ScreenSource.h"
#include "platform/memory/AllocatorSettings.h"
#include "platform/process/TerminationSignal.h"
#include "platform/sound/MediaBackend.h"
#include "platform/sound/ShortSounds.h"
#include "recording/ScreenRecorder.h"
#include "recording/studio/RecordingStudio.h"

#include <QApplication>
#include <QTimer>

using namespace tavero;

int main(int argc, char** argv) {
    giveLargeBlocksBackWhenFreed();
    chooseMediaBackend();
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(AppBrand::englishName);
    QCoreApplication::setApplicationName(AppBrand::englishName);
    ShortSounds sounds;
    AppDelegate delegate(programSetup(sounds));
    delegate.launch({});
    const TerminationSignal termination([&delegate] { delegate.terminate(); });

    RecordingStudio& studio = delegate.model().studio();
    bool started = false;
    QObject::connect(&studio, &RecordingStudio::changed, &studio, [&studio, &started] {
        if (started || !studio.setupVisible() || studio.loadingTargets()) return;
        started = true;
        // Once the change that opened the sheet has been told to everyone.
        QTimer::singleShot(0, &studio, [&studio] {
            studio.setScope(RecordingScope::display);
            studio.start();
        });
    });
    return application.exec();
}
