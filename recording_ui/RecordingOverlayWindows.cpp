#include "recording_ui/RecordingOverlayWindows.h"

#include "platform/AppBrand.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/FloatingPanel.h"
#include "recording_ui/OverlayPlacement.h"
#include "recording_ui/RecordingBorderView.h"
#include "recording_ui/RecordingControlBar.h"
#include "recording_ui/TeleprompterView.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QSizeGrip>

namespace tavero {

namespace {

using Kind = RecordingPhase::Kind;

constexpr QSize prompterMinimum(390, 220);

QList<OverlayPlacement::Screen> screenPlaces() {
    QList<OverlayPlacement::Screen> places;
    for (const QScreen* screen : QGuiApplication::screens())
        places.append({QRectF(screen->geometry()), QRectF(screen->availableGeometry())});
    return places;
}

std::optional<qsizetype> mainScreen() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const qsizetype index = QGuiApplication::screens().indexOf(primary);
    return index >= 0 ? std::optional(index) : std::nullopt;
}

// The visible part of the screen holding `area`'s centre, else of the main
// screen; none without screens.
std::optional<QRectF> visibleAround(const QRectF& area, std::optional<qsizetype> preferred) {
    const QList<OverlayPlacement::Screen> places = screenPlaces();
    const std::optional<qsizetype> index =
        preferred ? preferred : OverlayPlacement::screenFor(area, places, mainScreen());
    if (!index || *index >= places.size()) return std::nullopt;
    return places[*index].visible;
}

// A panel whose whole face is `content`.
FloatingPanel* panelAround(QWidget* content, FloatingPanel* panel) {
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    return panel;
}

// The teleprompter's panel: frameless, so its bottom-right corner carries
// the grip that resizes it.
class PrompterPanel final : public FloatingPanel {
public:
    explicit PrompterPanel(RecordingStudio& studio)
        : FloatingPanel(QStringLiteral("提词器 · 不进入成片"), Input::clicks), grip_(new QSizeGrip(this)) {
        setMovable(true);
        setMinimumSize(prompterMinimum);
        panelAround(new TeleprompterView(studio, this), this);
        grip_->raise();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        FloatingPanel::resizeEvent(event);
        grip_->move(width() - grip_->width(), height() - grip_->height());
    }

private:
    QSizeGrip* grip_;
};

}  // namespace

RecordingOverlayWindows::RecordingOverlayWindows(RecordingStudio& studio) : studio_(&studio) {}

RecordingOverlayWindows::~RecordingOverlayWindows() { close(); }

FloatingPanel* RecordingOverlayWindows::control() const { return control_; }

RecordingBorderView* RecordingOverlayWindows::border() const { return border_; }

FloatingPanel* RecordingOverlayWindows::prompter() const { return prompter_; }

void RecordingOverlayWindows::show(const QRectF& bounds) {
    if (!studio_) return;
    // A take whose windows were never closed must not leave them behind.
    closeTakeWindows();
    const std::optional<QRectF> visible = visibleAround(bounds, std::nullopt);
    auto* panel = new FloatingPanel(AppBrand::name + QStringLiteral("录屏控制条"), FloatingPanel::Input::clicks);
    panel->setMovable(true);
    panelAround(new RecordingControlBar(*studio_, panel), panel);
    const QRectF place = OverlayPlacement::controlPanel(visible.value_or(QRectF(bounds)));
    panel->setGeometry(place.toRect());
    control_ = panel;
    border_ = new RecordingBorderView;
    updateBorder(bounds);
    // The control panel shows in front of the border.
    control_->present();
}

bool RecordingOverlayWindows::borderHidden() const {
    if (!studio_) return false;
    return studio_->scope() == RecordingScope::camera || (studio_->cameraEnabled() && studio_->portrait().fullScreen);
}

void RecordingOverlayWindows::updateBorder(const QRectF& bounds) {
    if (borderHidden()) {
        if (border_) border_->hide();
        return;
    }
    if (!border_) return;
    border_->setGeometry(OverlayPlacement::border(bounds).toAlignedRect());
    border_->present();
    if (control_ && control_->isVisible()) control_->raise();
}

void RecordingOverlayWindows::updateRecordingState() {
    if (!border_) return;
    const Kind phase = studio_ ? studio_->phase().kind() : Kind::idle;
    border_->setPaused(phase == Kind::paused || phase == Kind::pausing || phase == Kind::resuming);
}

void RecordingOverlayWindows::showNotes() {
    if (!studio_) return;
    const bool preview = !studio_->phase().occupied();
    if (!prompter_) {
        prompter_ = new PrompterPanel(*studio_);
        const std::optional<qsizetype> controlScreen =
            control_ && control_->screen() ? std::optional(QGuiApplication::screens().indexOf(control_->screen()))
                                           : mainScreen();
        const std::optional<QRectF> visible = visibleAround(QRectF(), controlScreen);
        if (visible) prompter_->setGeometry(OverlayPlacement::prompterPanel(*visible).toRect());
    }
    // A preview before the take may have the keyboard; during a take the
    // recorded program keeps it.
    prompter_->setTakesKeyboard(preview);
    if (auto* view = prompter_->findChild<TeleprompterView*>()) view->setTakesFocus(preview);
    prompter_->present();
    if (preview) prompter_->activateWindow();
}

void RecordingOverlayWindows::hideNotes() {
    if (prompter_) prompter_->hide();
}

void RecordingOverlayWindows::closeTakeWindows() {
    for (QWidget* window : std::initializer_list<QWidget*>{control_, border_}) {
        if (!window) continue;
        window->hide();
        window->deleteLater();
    }
    control_ = nullptr;
    border_ = nullptr;
}

// Hidden at once and deleted once their events are done: the control bar's
// own button may be what ended the take.
void RecordingOverlayWindows::close() {
    closeTakeWindows();
    if (prompter_) {
        prompter_->hide();
        prompter_->deleteLater();
    }
    prompter_ = nullptr;
}

}  // namespace tavero
