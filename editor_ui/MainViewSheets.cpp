#include "app/model/AppModel.h"
#include "editor_ui/BackgroundSheet.h"
#include "editor_ui/MainView.h"
#include "editor_ui/MainViewState.h"
#include "editor_ui/OCRView.h"
#include "editor_ui/RecentFilesView.h"
#include "editor_ui/RecordingUnavailableView.h"
#include "editor_ui/ScreenAccessView.h"
#include "editor_ui/SettingsView.h"
#include "editor_ui/SheetBinding.h"
#include "recording/studio/RecordingStudio.h"

namespace tavero {

void MainView::makeSheets() {
    MainViewState& state = *state_;
    RecordingStudio& studio = model_.studio();
    const QList<SheetBinding::Binding> bindings{
        {[&state] { return state.settings(); }, [&state] { state.setSettings(false); },
         [this, &state] { return new SettingsView(model_, [&state] { state.setSettings(false); }); }, {}},
        {[&state] { return state.recentFiles(); }, [&state] { state.setRecentFiles(false); },
         [this, &state] { return new RecentFilesView(model_, [&state] { state.setRecentFiles(false); }); }, {}},
        {[&studio] { return studio.setupVisible(); }, [&studio] { studio.setSetupVisible(false); },
         [this, &studio]() -> QWidget* {
             if (recordingViews_.setupSheet) return recordingViews_.setupSheet(model_, studio);
             return new RecordingUnavailableView([&studio] { studio.setSetupVisible(false); });
         },
         {}},
        // "继续" confirms, "稍后再说" clears the intent; either way the
        // confirmed action, if any, is replayed once the sheet has closed.
        {[this] { return model_.screenAccessIntent().has_value(); },
         [this] { model_.setScreenAccessIntent(std::nullopt); },
         [this] {
             return new ScreenAccessView(
                 *model_.screenAccessIntent(), [this] { model_.confirmScreenAccess(); },
                 [this] { model_.setScreenAccessIntent(std::nullopt); });
         },
         [this] { model_.resumeScreenAction(); }},
        // With a source, the background sheet frames it and applies its
        // choice through applyBackground().
        {[&state] { return state.backgroundPresented(); }, [&state] { state.setBackgroundPresented(false); },
         [this, &state]() -> QWidget* {
             if (state.backgroundSource().isNull()) return new QWidget;
             return new BackgroundSheet(
                 state.backgroundSource(), [this](const FrameOptions& options) { applyBackground(options); },
                 [&state] { state.setBackgroundPresented(false); });
         },
         {}},
        {[this] { return model_.showOCR(); }, [this] { model_.setShowOCR(false); },
         [this] { return new OCRView(model_); }, {}},
    };
    for (const SheetBinding::Binding& binding : bindings) sheets_.append(new SheetBinding(this, binding));

    connect(&state, &MainViewState::changed, this, &MainView::syncSheets);
    connect(&studio, &RecordingStudio::setupVisibleChanged, this, &MainView::syncSheets);
    connect(&model_, &AppModel::screenAccessIntentChanged, this, &MainView::syncSheets);
    connect(&model_, &AppModel::showOCRChanged, this, &MainView::syncSheets);
    syncSheets();
}

void MainView::syncSheets() {
    for (SheetBinding* sheet : sheets_) sheet->update();
}

}  // namespace tavero
