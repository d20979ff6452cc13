#include "app/model/AppModel.h"
#include "editor_ui/BackgroundSheet.h"
#include "editor_ui/MainView.h"
#include "editor_ui/MainViewState.h"
#include "editor_ui/SheetBinding.h"
#include "recording/RecordingStudio.h"

namespace tavero {

// Each sheet's content is its own view; until one is placed here its sheet
// opens empty, and the binding still opens and closes it.
void MainView::makeSheets() {
    MainViewState& state = *state_;
    RecordingStudio& studio = model_.studio();
    const auto empty = [] { return new QWidget; };
    const QList<SheetBinding::Binding> bindings{
        {[&state] { return state.settings(); }, [&state] { state.setSettings(false); }, empty, {}},
        {[&state] { return state.recentFiles(); }, [&state] { state.setRecentFiles(false); }, empty, {}},
        {[&studio] { return studio.setupVisible(); }, [&studio] { studio.setSetupVisible(false); },
         [this, &studio] { return recordingViews_.setupSheet ? recordingViews_.setupSheet(studio) : new QWidget; }, {}},
        // The explanation's "继续" confirms, "稍后再说" clears the intent;
        // either way the confirmed action, if any, is replayed once it closes.
        {[this] { return model_.screenAccessIntent().has_value(); },
         [this] { model_.setScreenAccessIntent(std::nullopt); }, empty, [this] { model_.resumeScreenAction(); }},
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
        {[this] { return model_.showOCR(); }, [this] { model_.setShowOCR(false); }, empty, {}},
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
