#include "recording_ui/PortraitOverlayWindow.h"

#include "recording_ui/CameraFramingPreviewView.h"
#include "recording_ui/FloatingPanel.h"
#include "recording_ui/WebcamPreviewView.h"

#include <QBoxLayout>

#include <algorithm>

namespace tavero {

namespace {

constexpr double widthShare = 0.8;
constexpr double heightShare = 0.7;
constexpr double widestPanel = 640;
constexpr double tallestPanel = 520;

QRectF centredOn(const QRectF& bounds, double width, double height) {
    return {bounds.center().x() - width / 2, bounds.center().y() - height / 2, width, height};
}

QString panelTitle(const std::optional<CameraFraming>& framing) {
    if (framing) return QStringLiteral("口播预览 · ") + framing->sizeLabel();
    return QStringLiteral("人像 · 拖动位置，点击切换口播");
}

}  // namespace

PortraitOverlayWindow::PortraitOverlayWindow() = default;

PortraitOverlayWindow::~PortraitOverlayWindow() { close(); }

QRectF PortraitOverlayWindow::panelFrame(const QRectF& bounds, const PortraitLayout& layout,
                                         const std::optional<CameraFraming>& framing) {
    if (framing) {
        const QSizeF output(framing->outputSize());
        const double scale = std::min(std::min(bounds.width() * widthShare, widestPanel) / output.width(),
                                      std::min(bounds.height() * heightShare, tallestPanel) / output.height());
        return centredOn(bounds, output.width() * scale, output.height() * scale);
    }
    if (layout.fullScreen) {
        const double width = std::min(bounds.width() * widthShare, widestPanel);
        return centredOn(bounds, width, width * 9 / 16);
    }
    // The layout's rectangle has its origin at the area's bottom-left corner.
    const QRectF r = layout.rect(bounds.size());
    return {bounds.left() + r.left(), bounds.bottom() - r.bottom(), r.width(), r.height()};
}

std::optional<PortraitLayout> PortraitOverlayWindow::movedTo(const QPointF& centre, const QRectF& bounds,
                                                             const PortraitLayout& layout) {
    if (bounds.width() <= 0 || bounds.height() <= 0) return std::nullopt;
    PortraitLayout next = layout;
    next.x = std::clamp((centre.x() - bounds.left()) / bounds.width(), 0.0, 1.0);
    next.y = std::clamp((centre.y() - bounds.top()) / bounds.height(), 0.0, 1.0);
    return next;
}

void PortraitOverlayWindow::show(WebcamFeed& feed, const QRectF& bounds, const PortraitLayout& layout,
                                 const std::optional<CameraFraming>& framing) {
    framing_ = framing;
    bounds_ = bounds;
    layout_ = layout;
    if (!panel_) build(feed);
    update(bounds, layout);
    panel_->present();
}

void PortraitOverlayWindow::build(WebcamFeed& feed) {
    panel_ = std::make_unique<FloatingPanel>(panelTitle(framing_), FloatingPanel::Input::clicks);
    auto* content = new QVBoxLayout(panel_.get());
    content->setContentsMargins(0, 0, 0, 0);
    if (framing_) {
        cameraPreview_ = new CameraFramingPreviewView(panel_.get());
        cameraPreview_->setFeed(&feed);
        cameraPreview_->setFraming(*framing_);
        cameraPreview_->setMirrored(layout_.mirrored);
        cameraPreview_->setMoveWindow(true);
        cameraPreview_->setAccessibleName(QStringLiteral("口播画面预览 · ") + framing_->sizeLabel());
        cameraPreview_->setToolTip(QStringLiteral("这是实际录入视频的范围，可拖动预览窗口"));
        content->addWidget(cameraPreview_);
        return;
    }
    preview_ = new WebcamPreviewView(panel_.get());
    preview_->setFeed(&feed);
    preview_->setMoveWindow(true);
    preview_->setClicked([this] { clicked(); });
    preview_->setMoved([this](const QPointF& centre) { moved(centre); });
    preview_->setToolTip(QStringLiteral("拖动人像调整位置；单击切换全屏口播 / 返回屏幕"));
    content->addWidget(preview_);
}

// The owner stores the new layout and sends it back through update(), which
// resizes the same panel.
void PortraitOverlayWindow::clicked() {
    layout_.fullScreen = !layout_.fullScreen;
    reportChange(layout_);
}

// A full-screen portrait has no place of its own: the panel just moves.
void PortraitOverlayWindow::moved(const QPointF& centre) {
    if (layout_.fullScreen) return;
    const std::optional<PortraitLayout> next = movedTo(centre, bounds_, layout_);
    if (!next) return;
    layout_ = *next;
    reportChange(layout_);
}

void PortraitOverlayWindow::update(const QRectF& bounds, const PortraitLayout& layout) {
    bounds_ = bounds;
    layout_ = layout;
    if (preview_) preview_->setPortrait(layout);
    if (cameraPreview_) cameraPreview_->setMirrored(layout.mirrored);
    if (!panel_) return;
    panel_->setGeometry(panelFrame(bounds, layout, framing_).toRect());
    panel_->update();
}

void PortraitOverlayWindow::close() {
    if (panel_) panel_->close();
    preview_ = nullptr;
    cameraPreview_ = nullptr;
    panel_.reset();
    framing_.reset();
}

}  // namespace tavero
