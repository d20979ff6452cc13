// The program as a user runs it, but for one thing: as soon as the recording
// set-up sheet has read its targets, the sheet's start is called for the
// whole display, as the sheet's button will. For the test that ends the
// program in the middle of a take.
#include "app/AppDelegate.h"
#include "platform/AppBrand.h"
#include "platform/GlobalHotKeys.h"
#include "platform/PointerSource.h"
#include "platform/ScreenSource.h"
#include "platform/ShortSounds.h"
#include "recording/ScreenRecorder.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/RecordingOverlayWindows.h"

#include <QApplication>
#include <QTimer>

using namespace tavero;

int main(int argc, char** argv) {
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(AppBrand::englishName);
    QCoreApplication::setApplicationName(AppBrand::englishName);
    ShortSounds sounds;
    AppDelegateSetup setup;
    setup.model.screen = makeScreenSource();
    setup.model.pointer = makePointerSource();
    setup.model.playSound = [&sounds](const QString& name) { sounds.play(name); };
    setup.model.makeRecordingOverlay = [](RecordingStudio& studio) {
        return std::make_unique<RecordingOverlayWindows>(studio);
    };
    setup.hotKeys = makeGlobalHotKeys();
    AppDelegate delegate(std::move(setup));
    delegate.launch({});

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
