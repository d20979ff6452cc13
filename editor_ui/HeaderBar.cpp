#include "editor_ui/HeaderBar.h"

#include "app/model/AppModel.h"
#include "document/ShotDocument.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/InstantMenu.h"
#include "editor_ui/MainViewState.h"
#include "editor_ui/MoreCapturesMenu.h"
#include "editor_ui/RecordingButton.h"
#include "platform/AppBrand.h"
#include "recording/studio/RecordingStudio.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace tavero {

namespace {

constexpr int spacing = 14;
constexpr int sidePadding = 24;
constexpr int iconSide = 36;
// The area button's label gets this much more room on each side.
constexpr int areaLabelPadding = 4;

}  // namespace

HeaderBar::HeaderBar(AppModel& model, ShotDocument& document, MainViewState& state, QWidget* parent)
    : QWidget(parent), model_(model), document_(document) {
    setFixedHeight(barHeight);
    EditorLook::fill(this, palette().color(QPalette::Window));

    brand_ = makeBrand();
    makeCaptureGroup();
    record_ = new RecordingButton(model.studio(), model, this);
    recentFiles_ = EditorLook::defaultButton(QStringLiteral("最近文件"), QStringLiteral("clock.arrow.circlepath"), this);
    connect(recentFiles_, &QPushButton::clicked, &state, [&state] { state.setRecentFiles(true); });
    open_ = EditorLook::defaultButton(QStringLiteral("打开"), QStringLiteral("folder"), this);
    open_->setToolTip(QStringLiteral("打开图片或视频"));
    connect(open_, &QPushButton::clicked, &model, [&model] { model.chooseFile(); });
    settings_ = EditorLook::defaultButton(QStringLiteral("设置"), QStringLiteral("slider.horizontal.3"), this);
    settings_->setToolTip(QStringLiteral("设置与快捷键"));
    connect(settings_, &QPushButton::clicked, &state, [&state] { state.setSettings(true); });

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(sidePadding, 0, sidePadding, 0);
    row->setSpacing(spacing);
    for (QWidget* item : {brand_, static_cast<QWidget*>(home_), static_cast<QWidget*>(area_),
                          static_cast<QWidget*>(more_)})
        row->addWidget(item);
    row->addStretch(1);
    for (QWidget* item : {static_cast<QWidget*>(record_), static_cast<QWidget*>(recentFiles_),
                          static_cast<QWidget*>(open_), static_cast<QWidget*>(settings_)})
        row->addWidget(item);

    connect(&model, &AppModel::flowChanged, this, &HeaderBar::refresh);
    connect(&model, &AppModel::videoURLChanged, this, &HeaderBar::refresh);
    connect(&model, &AppModel::busyChanged, this, &HeaderBar::refresh);
    connect(&document, &ShotDocument::changed, this, &HeaderBar::refresh);
    connect(&model.studio(), &RecordingStudio::phaseChanged, this, &HeaderBar::refresh);
    refresh();
}

QWidget* HeaderBar::makeBrand() {
    auto* brand = new QWidget(this);
    auto* icon = new QLabel(brand);
    icon->setPixmap(AppBrand::icon().pixmap(QSize(iconSide, iconSide), devicePixelRatioF()));
    icon->setFixedSize(iconSide, iconSide);
    icon->setScaledContents(true);
    icon->setAccessibleName(AppBrand::displayName);
    auto* name = EditorLook::label(AppBrand::name, 17, brand, FontWeight::semibold);
    auto* line = EditorLook::label(AppBrand::englishName + QStringLiteral(" · 截图与录屏"), 10, brand);
    EditorLook::setTextColour(line, EditorLook::secondaryText(this));

    auto* names = new QVBoxLayout;
    names->setSpacing(1);
    names->addStretch();
    names->addWidget(name);
    names->addWidget(line);
    names->addStretch();
    auto* row = new QHBoxLayout(brand);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(9);
    row->addWidget(icon);
    row->addLayout(names);
    row->addStretch();
    return brand;
}

void HeaderBar::makeCaptureGroup() {
    home_ = EditorLook::borderlessButton(QStringLiteral("首页"), QStringLiteral("house"), this);
    home_->setToolTip(QStringLiteral("返回开始页，当前编辑会保留"));
    connect(home_, &QToolButton::clicked, &model_, [this] { model_.goHome(); });

    area_ = EditorLook::prominentButton(QStringLiteral("区域截图"), QStringLiteral("crop"), this, true);
    area_->setToolTip(QStringLiteral("Ctrl+Shift+2"));
    area_->setMinimumWidth(area_->sizeHint().width() + 2 * areaLabelPadding);
    connect(area_, &QPushButton::clicked, &model_, [this] { model_.take(CaptureMode::area, false); });

    more_ = EditorLook::borderlessButton(QStringLiteral("更多截图"), QString(), this);
    more_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    moreMenu_ = new MoreCapturesMenu(model_, more_);
    setInstantMenu(*more_, moreMenu_);
}

void HeaderBar::refresh() {
    const bool editing = !MainViewState::showsStartScreen(model_, document_);
    if (editing)
        brand_->setFixedWidth(brandWidth);
    else
        brand_->setFixedWidth(brand_->sizeHint().width());
    home_->setVisible(editing);
    area_->setVisible(editing);
    more_->setVisible(editing);
    home_->setEnabled(!model_.busy());
    // Screenshots wait while the model works or a take is under way; the
    // studio is asked only when the model is not busy.
    const bool captureBlocked = model_.busy() || model_.studio().phase().occupied();
    area_->setEnabled(!captureBlocked);
    moreMenu_->setCaptureEnabled(!captureBlocked);
    record_->setVisible(editing || model_.studio().phase().occupied());
    recentFiles_->setVisible(!editing);
    open_->setVisible(editing);
}

}  // namespace tavero
