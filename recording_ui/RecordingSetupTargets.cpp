// The target section of the recording set-up: the row under the scope
// picker, the display rule of the area, and the still preview.
#include "capture/CaptureCoordinator.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/SegmentedPicker.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/RecordingSetupView.h"
#include "recording_ui/SetupPreviewBox.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

namespace tavero {

namespace {

constexpr double captionPoints = 10;
constexpr int loadingRowHeight = 28;
constexpr int pickerWidth = 360;

QString hintFor(RecordingScope scope) {
    switch (scope) {
    case RecordingScope::window: return QStringLiteral("已自动识别窗口边界，也可切换窗口。");
    case RecordingScope::area: return QStringLiteral("按你框选的范围录制。");
    case RecordingScope::display: return QStringLiteral("录制所选显示器的完整画面。");
    case RecordingScope::camera: break;
    }
    return {};
}

QString displayTitle(int position, const DisplayInfo& display) {
    const QSizeF size = display.pointSize();
    return QString::asprintf("显示器 %lld · %lld × %lld", qint64(position), qint64(size.width()),
                             qint64(size.height()));
}

// A picker line is one line, whatever the window's title holds.
QString oneLine(QString title) {
    title.replace(QLatin1Char('\n'), QLatin1Char(' '));
    title.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return title;
}

QComboBox* picker(const QString& name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setAccessibleName(name);
    box->setMinimumWidth(pickerWidth);
    box->setMaximumWidth(pickerWidth);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

// Refills `box` with `lines` (title, id) when they differ from what it holds.
void fill(QComboBox* box, const QList<std::pair<QString, quint32>>& lines) {
    bool same = box->count() == lines.size();
    for (qsizetype index = 0; same && index < lines.size(); ++index)
        same = box->itemText(int(index)) == lines[index].first &&
               box->itemData(int(index)).toUInt() == lines[index].second;
    if (same) return;
    box->clear();
    for (const auto& [title, id] : lines) box->addItem(title, id);
}

void choose(QComboBox* box, quint32 id) { box->setCurrentIndex(box->findData(id)); }

QString noWindow() { return QStringLiteral("没有可录制的窗口"); }

}  // namespace

QWidget* RecordingSetupView::makeTargetRow() {
    auto* row = new QWidget;
    targetHint_ = EditorLook::label(QStringLiteral("选择画幅，调整取景；勾选麦克风录入你的声音。"), captionPoints, row);
    EditorLook::setTextColour(targetHint_, EditorLook::secondaryText(row));
    loadingRow_ = EditorLook::label(QStringLiteral("正在读取可录制窗口…"), captionPoints, row);
    EditorLook::setTextColour(loadingRow_, EditorLook::secondaryText(row));
    loadingRow_->setFixedHeight(loadingRowHeight);

    windowRow_ = new QWidget(row);
    // Named by what it chooses: the segment beside it is 窗口 too.
    windowPicker_ = picker(QStringLiteral("要录制的窗口"), windowRow_);
    windowPicker_->setPlaceholderText(noWindow());
    connect(windowPicker_, &QComboBox::activated, this, [this](int index) {
        if (studio_) studio_->setWindowID(windowPicker_->itemData(index).toUInt());
    });
    QToolButton* reload = EditorLook::plainButton(QString(), QStringLiteral("arrow.clockwise"), windowRow_);
    EditorLook::setPlainToolTip(reload, QStringLiteral("刷新窗口列表"));
    reload->setAccessibleName(QStringLiteral("刷新窗口列表"));
    connect(reload, &QToolButton::clicked, this, [this] {
        if (studio_) studio_->prepare(false);
    });
    auto* windowLayout = new QHBoxLayout(windowRow_);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    windowLayout->addWidget(EditorLook::label(QStringLiteral("窗口"), 13, windowRow_));
    windowLayout->addWidget(windowPicker_);
    windowLayout->addWidget(reload);
    windowLayout->addStretch(1);

    displayRow_ = new QWidget(row);
    displayPicker_ = picker(QStringLiteral("显示器"), displayRow_);
    connect(displayPicker_, &QComboBox::activated, this, [this](int index) {
        if (studio_) studio_->setDisplayID(displayPicker_->itemData(index).toUInt());
    });
    areaButton_ = EditorLook::defaultButton(QString(), QString(), displayRow_);
    connect(areaButton_, &QPushButton::clicked, this, [this] {
        if (studio_) studio_->selectArea();
    });
    // The sheet is made anew once the picker closes: the keyboard goes back
    // to the button that opened the picker.
    connect(studio_, &RecordingStudio::areaPickerClosed, areaButton_,
            [this] { areaButton_->setFocus(Qt::OtherFocusReason); });
    auto* displayLayout = new QHBoxLayout(displayRow_);
    displayLayout->setContentsMargins(0, 0, 0, 0);
    displayLayout->addWidget(EditorLook::label(QStringLiteral("显示器"), 13, displayRow_));
    displayLayout->addWidget(displayPicker_);
    displayLayout->addWidget(areaButton_);
    displayLayout->addStretch(1);

    auto* layout = new QVBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* choice : {static_cast<QWidget*>(targetHint_), static_cast<QWidget*>(loadingRow_), windowRow_,
                            displayRow_})
        layout->addWidget(choice);
    return row;
}

QString RecordingSetupView::targetRowText() const {
    if (!targetHint_->isHidden()) return targetHint_->text();
    if (!loadingRow_->isHidden()) return loadingRow_->text();
    if (!windowRow_->isHidden()) return windowPicker_->accessibleName();
    return displayPicker_->accessibleName();
}

void RecordingSetupView::refreshTargetRow() {
    const RecordingScope scope = studio_->scope();
    const bool camera = scope == RecordingScope::camera;
    const bool loading = !camera && studio_->loadingTargets();
    scope_->showSelected(int(std::find(allRecordingScopes.begin(), allRecordingScopes.end(), scope) -
                             allRecordingScopes.begin()));
    targetHint_->setVisible(camera);
    loadingRow_->setVisible(loading);
    windowRow_->setVisible(!camera && !loading && scope == RecordingScope::window);
    displayRow_->setVisible(!camera && !loading && scope != RecordingScope::window);
    areaButton_->setVisible(scope == RecordingScope::area);
    areaButton_->setText(studio_->region() ? QStringLiteral("重新框选") : QStringLiteral("框选录制区域"));
    previewColumn_->setVisible(!camera);
    previewHint_->setText(hintFor(scope));
}

void RecordingSetupView::refreshPickers() {
    QList<std::pair<QString, quint32>> windows;
    for (const WindowInfo& window : studio_->windows())
        windows.append({oneLine(RecordingStudio::windowName(window)), window.id});
    fill(windowPicker_, windows);
    choose(windowPicker_, studio_->windowID());
    // An empty list shows its placeholder, which screen readers do not read.
    const QString description = windows.isEmpty() ? noWindow() : QString();
    if (windowPicker_->accessibleDescription() != description) windowPicker_->setAccessibleDescription(description);
    QList<std::pair<QString, quint32>> displays;
    int position = 0;
    for (const DisplayInfo& display : studio_->displays()) displays.append({displayTitle(++position, display), display.id});
    fill(displayPicker_, displays);
    choose(displayPicker_, studio_->displayID());
}

void RecordingSetupView::followDisplay() {
    const quint32 display = studio_->displayID();
    if (lastDisplayID_ == display) return;
    lastDisplayID_ = display;
    const std::optional<CaptureRegion>& region = studio_->region();
    if (region && region->displayID != display) studio_->setRegion(std::nullopt);
}

// A new preview is taken for every change of what it shows.
void RecordingSetupView::reloadPreviewWhenTargetChanged() {
    if (!isVisible() || !studio_) return;
    const std::optional<CaptureRegion>& region = studio_->region();
    const QRectF area = region ? region->rect : QRectF();
    const QString target =
        QStringList{studio_->loadingTargets() ? QStringLiteral("true") : QStringLiteral("false"),
                    rawValue(studio_->scope()), QString::number(studio_->windowID()),
                    QString::number(studio_->displayID()),
                    region ? QString::asprintf("%u:%g,%g,%g,%g", region->displayID, area.x(), area.y(), area.width(),
                                               area.height())
                           : QStringLiteral("nil")}
            .join(QLatin1Char('-'));
    if (target == previewTarget_) return;
    previewTarget_ = target;
    // Whatever is still pending belongs to the previous target.
    ++previewRequest_;
    loadPreview();
}

void RecordingSetupView::loadPreview() {
    if (studio_->scope() == RecordingScope::camera || studio_->loadingTargets() || !studio_->content()) {
        // The request this one replaced can no longer clear the flag.
        previewLoading_ = false;
        return;
    }
    // The sheet and the editor stand over what will be recorded: the preview
    // leaves them out, as the recording does.
    std::optional<ContentFilter> filter;
    if (studio_->scope() == RecordingScope::window)
        if (const std::optional<WindowInfo> window = studio_->selectedWindow())
            filter = CaptureCoordinator::filter(*window);
    const std::optional<DisplayInfo> display = studio_->selectedDisplay();
    if (!filter && display) filter = CaptureCoordinator::filter(*display, *studio_->content());
    const quint64 request = previewRequest_;
    QPointer<RecordingSetupView> self(this);
    const auto done = [self, request](Result<QImage> result) {
        if (self) self->previewArrived(request, std::move(result));
    };
    previewLoading_ = true;
    preview_.reset();
    showPreview();
    if (!filter) {
        previewLoading_ = false;
        return showPreview();
    }
    if (!snapshot_ || !snapshot_(*filter, done)) {
        previewLoading_ = false;
        showPreview();
    }
}

void RecordingSetupView::previewArrived(quint64 request, Result<QImage> result) {
    // A newer request owns the preview and its flag.
    if (request != previewRequest_ || !studio_) return;
    previewLoading_ = false;
    if (!result) return showPreview();
    const QImage& image = result.value();
    const std::optional<CaptureRegion>& region = studio_->region();
    const std::optional<DisplayInfo> display = studio_->selectedDisplay();
    if (studio_->scope() == RecordingScope::area && region && display)
        preview_ = cropToRegion(image, *display, region->rect);
    else
        preview_ = image;
    showPreview();
}

std::optional<QImage> RecordingSetupView::cropToRegion(const QImage& snapshot, const DisplayInfo& display,
                                                       const QRectF& region) {
    const QSizeF points = display.pointSize();
    if (points.isEmpty()) return std::nullopt;
    const double sx = snapshot.width() / points.width();
    const double sy = snapshot.height() / points.height();
    const QRectF scaled(region.x() * sx, region.y() * sy, region.width() * sx, region.height() * sy);
    const QRect cut = scaled.toAlignedRect() & snapshot.rect();
    if (cut.isEmpty()) return std::nullopt;
    return snapshot.copy(cut);
}

void RecordingSetupView::showPreview() {
    const bool loading = previewLoading_ || (studio_ && studio_->loadingTargets());
    previewBox_->showPicture(preview_, loading);
}

}  // namespace tavero
