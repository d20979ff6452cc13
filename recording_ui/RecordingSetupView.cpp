#include "recording_ui/RecordingSetupView.h"

#include "camera/WebcamFeed.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/ScrollToFocus.h"
#include "editor_ui/SegmentedPicker.h"
#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/RecordingAccent.h"
#include "editor_ui/style/SymbolIcons.h"
#include "recording/RecordingDiskSpace.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/RecordingColours.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QShowEvent>
#include <QToolButton>

#include <algorithm>

namespace tavero {

namespace {

constexpr int sheetPadding = 26;
constexpr int sectionSpacing = 17;
constexpr int screenMargin = 80;
constexpr double captionPoints = 10;
constexpr std::chrono::seconds spaceRefresh{5};
constexpr int footerLines = 3;

QLabel* symbol(const QString& name, const QColor& colour, int side, QWidget* parent) {
    auto* icon = new QLabel(parent);
    icon->setPixmap(SymbolIcons::icon(name, colour).pixmap(QSize(side, side), parent->devicePixelRatioF()));
    icon->setFixedSize(side, side);
    return icon;
}

std::optional<int> mainScreenVisibleHeight() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return std::nullopt;
    return screen->availableGeometry().height();
}

}  // namespace

RecordingSetupView::RecordingSetupView(RecordingStudio& studio, Snapshot snapshot, CameraSection cameraSection,
                                       QWidget* parent)
    : QWidget(parent), studio_(&studio), snapshot_(std::move(snapshot)), lastDisplayID_(studio.displayID()) {
    setWindowTitle(QStringLiteral("开始一段录屏"));
    setAccessibleName(windowTitle());
    // The sheet wears the recording interface's accent.
    QPalette tinted = palette();
    tinted.setColor(QPalette::Highlight, recordingAccent());
    tinted.setColor(QPalette::Link, recordingAccent());
    setPalette(tinted);

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(sheetPadding, sheetPadding, sheetPadding, sheetPadding);
    column->setSpacing(sectionSpacing);
    column->addWidget(makeHeader());
    column->addWidget(EditorLook::label(QStringLiteral("1 · 录哪里"), 13, content, FontWeight::semibold));
    scope_ = new SegmentedPicker(
        [] {
            QStringList titles;
            for (const RecordingScope scope : allRecordingScopes) titles.append(rawValue(scope));
            return titles;
        }(),
        content);
    scope_->setAccessibleName(QStringLiteral("录制范围"));
    connect(scope_, &SegmentedPicker::picked, this, [this](int index) {
        if (studio_) studio_->setScope(allRecordingScopes.at(size_t(index)));
    });
    column->addWidget(scope_);
    column->addWidget(makeTargetRow());
    if (cameraSection) {
        camera_ = cameraSection(studio, content);
        column->addWidget(camera_);
    }
    column->addWidget(makeMiddleRow());
    column->addWidget(EditorLook::divider(content));
    column->addWidget(makeNotesSection());
    column->addWidget(makeFreeSpaceRow());
    column->addWidget(makeFooter());
    column->addStretch(1);

    scroll_ = new QScrollArea(this);
    scroll_->setAccessibleName(QStringLiteral("录屏设置"));
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll_->setWidget(content);
    FocusRing::drawAbove(*scroll_, 0);
    scrollToFocus(*scroll_);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(scroll_);
    setFixedSize(sheetWidth, sheetHeight(mainScreenVisibleHeight()));

    spaceTimer_.setInterval(spaceRefresh);
    connect(&spaceTimer_, &QTimer::timeout, this, [this] {
        if (studio_) studio_->refreshDiskSpace();
    });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive || !studio_) return;
        studio_->refreshAudioAuthorization();
        studio_->refreshDiskSpace();
    });
    connect(&studio, &RecordingStudio::changed, this, &RecordingSetupView::refresh);
    connect(&studio, &RecordingStudio::phaseChanged, this, &RecordingSetupView::refresh);
    connect(&studio, &RecordingStudio::processingChanged, this, &RecordingSetupView::refresh);
    connect(&studio.webcam(), &WebcamFeed::changed, this, &RecordingSetupView::refresh);
    refresh();
}

RecordingSetupView::~RecordingSetupView() = default;

int RecordingSetupView::sheetHeight(std::optional<int> visibleHeight) {
    if (!visibleHeight) return tallestSheet;
    return std::min(*visibleHeight - screenMargin, tallestSheet);
}

RecordingSetupView::SpaceLine RecordingSetupView::spaceLine(std::optional<qint64> available,
                                                            const std::optional<QString>& startIssue) {
    if (startIssue) return {*startIssue, SpaceTone::red};
    if (!available) return {QStringLiteral("暂时无法读取可用空间，请确认磁盘仍有足够空间。"), SpaceTone::secondary};
    const QString text =
        QStringLiteral("可用空间 ") + RecordingDiskSpace::label(*available) + QStringLiteral(" · 低于 2 GB 时会提前保存并停止录制");
    // Below 5 GB the warning colour asks for room before it runs out.
    constexpr qint64 comfortable = 4'999'999'999;
    return {text, *available > comfortable ? SpaceTone::secondary : SpaceTone::orange};
}

QWidget* RecordingSetupView::makeHeader() {
    auto* header = new QWidget;
    auto* words = new QVBoxLayout;
    words->setSpacing(4);
    words->addWidget(EditorLook::label(windowTitle(), 23, header, FontWeight::semibold));
    QLabel* subtitle = EditorLook::label(QStringLiteral("先选录哪里，再确认声音。点击开始后倒数 3 秒。"), 12, header);
    EditorLook::setTextColour(subtitle, EditorLook::secondaryText(header));
    words->addWidget(subtitle);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(words);
    row->addStretch(1);
    row->addWidget(symbol(QStringLiteral("record.circle"), RecordingColours::red(), 32, header));
    return header;
}

QWidget* RecordingSetupView::makeFreeSpaceRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(symbol(QStringLiteral("internaldrive"), EditorLook::secondaryText(row), 13, row), 0, Qt::AlignTop);
    space_ = EditorLook::label(QString(), captionPoints, row);
    space_->setWordWrap(true);
    layout->addWidget(space_, 1, Qt::AlignTop);
    QToolButton* refresh = EditorLook::borderlessButton(QStringLiteral("刷新"), QString(), row);
    refresh->setFont(EditorLook::font(row, captionPoints));
    connect(refresh, &QToolButton::clicked, this, [this] {
        if (studio_) studio_->refreshDiskSpace();
    });
    layout->addWidget(refresh, 0, Qt::AlignTop);
    return row;
}

QWidget* RecordingSetupView::makeFooter() {
    auto* row = new QWidget;
    footer_ = EditorLook::label(QString(), captionPoints, row);
    footer_->setWordWrap(true);
    footer_->setMaximumHeight(footer_->fontMetrics().lineSpacing() * footerLines);
    cancel_ = EditorLook::defaultButton(QStringLiteral("取消"), QString(), row);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (studio_) studio_->setSetupVisible(false);
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, cancel_, &QPushButton::click);
    start_ = EditorLook::prominentButton(QStringLiteral("开始录制"), QString(), row, true);
    QPalette accent = start_->palette();
    accent.setColor(QPalette::Button, recordingAccent());
    // A start the studio refuses must look refused, not merely ignore clicks.
    const QColor ground = accent.color(QPalette::Window);
    const auto towardGround = [&ground](const QColor& colour) {
        return QColor::fromRgbF(colour.redF() * 0.4f + ground.redF() * 0.6f, colour.greenF() * 0.4f + ground.greenF() * 0.6f,
                                colour.blueF() * 0.4f + ground.blueF() * 0.6f);
    };
    accent.setColor(QPalette::Disabled, QPalette::Button, towardGround(recordingAccent()));
    accent.setColor(QPalette::Disabled, QPalette::ButtonText, Qt::white);
    start_->setPalette(accent);
    connect(start_, &QPushButton::clicked, this, [this] {
        if (studio_) studio_->start(false);
    });
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(footer_, 1);
    layout->addWidget(cancel_);
    layout->addWidget(start_);
    return row;
}

void RecordingSetupView::refresh() {
    if (!studio_) return;
    followDisplay();
    refreshTargetRow();
    refreshPickers();
    refreshSound();
    refreshEffects();
    refreshNotes();
    refreshFreeSpace();
    refreshFooter();
    reloadPreviewWhenTargetChanged();
    showPreview();
}

void RecordingSetupView::refreshFreeSpace() {
    const SpaceLine line = spaceLine(studio_->availableDiskSpace(), studio_->diskStartIssue());
    space_->setText(line.text);
    const QColor colour = line.tone == SpaceTone::red      ? RecordingColours::red()
                          : line.tone == SpaceTone::orange ? RecordingColours::orange()
                                                           : EditorLook::secondaryText(this);
    EditorLook::setTextColour(space_, colour);
}

void RecordingSetupView::refreshFooter() {
    const std::optional<QString>& error = studio_->targetError();
    footer_->setText(error ? *error : QStringLiteral("Ctrl+Shift+P 暂停／继续 · Ctrl+Shift+8 停止"));
    EditorLook::setTextColour(footer_, error ? RecordingColours::red() : EditorLook::secondaryText(this));
    start_->setEnabled(studio_->canStart());
}

void RecordingSetupView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) appeared();
}

void RecordingSetupView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) disappeared();
}

void RecordingSetupView::appeared() {
    spaceTimer_.start();
    if (!studio_) return;
    WebcamFeed& feed = studio_->webcam();
    if (studio_->cameraEnabled() && !feed.ready() && !feed.preparing()) studio_->setCameraEnabled(true);
    previewTarget_.clear();
    reloadPreviewWhenTargetChanged();
}

void RecordingSetupView::disappeared() {
    spaceTimer_.stop();
    // A pending snapshot no longer belongs to anything shown.
    ++previewRequest_;
    previewTarget_.clear();
    previewLoading_ = false;
    if (!studio_) return;
    // The start closes the sheet before its countdown begins: the phase is
    // read once that call has ended, so a sheet closed by its start keeps the
    // teleprompter and the camera for the take.
    QMetaObject::invokeMethod(
        studio_.data(),
        [studio = studio_] {
            if (!studio || studio->phase().occupied()) return;
            studio->hideNotes();
            studio->closeCameraPreview();
        },
        Qt::QueuedConnection);
}

}  // namespace tavero
