#include "editor_ui/MainViewState.h"

#include "app/model/AppModel.h"
#include "document/ShotDocument.h"
#include "platform/SettingsValues.h"

#include <QSettings>

#include <algorithm>

namespace tavero {

MainViewState::MainViewState(QObject* parent)
    : QObject(parent),
      editorHintDismissed_(
          SettingsValues::readBool(QSettings(), QString::fromLatin1(editorHintDismissedKey)).value_or(false)) {}

bool MainViewState::showsStartScreen(const AppModel& model, const ShotDocument& document) {
    return model.flow().showingHome || (document.image().isNull() && !model.videoURL());
}

bool MainViewState::isCommonTool(MarkTool tool) {
    return std::find(commonTools.begin(), commonTools.end(), tool) != commonTools.end();
}

template <typename Value>
void MainViewState::assign(Value& field, const Value& value) {
    if (field == value) return;
    field = value;
    emit changed();
}

void MainViewState::setSidebarTab(int tab) { assign(sidebarTab_, tab); }

void MainViewState::setSettings(bool open) { assign(settings_, open); }

void MainViewState::setRecentFiles(bool open) { assign(recentFiles_, open); }

void MainViewState::setMoreTools(bool expanded) { assign(moreTools_, expanded); }

void MainViewState::setImageDimensions(bool expanded) { assign(imageDimensions_, expanded); }

void MainViewState::setEditorHintDismissed(bool dismissed) {
    QSettings().setValue(QString::fromLatin1(editorHintDismissedKey), dismissed);
    assign(editorHintDismissed_, dismissed);
}

void MainViewState::setResizeWidth(const QString& width) { assign(resizeWidth_, width); }

void MainViewState::setBackgroundPresented(bool open) { assign(backgroundPresented_, open); }

void MainViewState::presentBackground(const QImage& source, qint64 revision) {
    backgroundSource_ = source;
    backgroundRevision_ = revision;
    backgroundPresented_ = true;
    emit changed();
}

}  // namespace tavero
