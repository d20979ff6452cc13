#pragma once

#include "recording/studio/PortraitOverlay.h"

#include <QRectF>

#include <memory>
#include <optional>

namespace tavero {

class CameraFramingPreviewView;
class FloatingPanel;
class WebcamPreviewView;

// The floating camera picture of a take: a panel over the recorded area
// that shows the portrait exactly where the video will have it (a click
// switches it to or from a 16:9 full-screen preview, a drag moves it), or,
// for a camera-only take, a scaled-down preview of what the take writes.
// The panel is built by the first show() and kept until close(); a later
// show() only moves it, whatever content it was built with. Main thread.
class PortraitOverlayWindow final : public PortraitOverlay {
public:
    PortraitOverlayWindow();
    ~PortraitOverlayWindow() override;

    void show(WebcamFeed& feed, const QRectF& bounds, const PortraitLayout& layout,
              const std::optional<CameraFraming>& framing) override;
    void update(const QRectF& bounds, const PortraitLayout& layout) override;
    void close() override;

    // The panel's place over `bounds` (global points, top-left origin): the
    // framing's output shape within 80 % × 70 % of the area and 640 × 520
    // points, centred; without a framing, full screen a centred 16:9 panel
    // within 80 % of the width and 640 points, else the portrait's own
    // rectangle in the area.
    static QRectF panelFrame(const QRectF& bounds, const PortraitLayout& layout,
                             const std::optional<CameraFraming>& framing);
    // `layout` with its centre where the panel's `centre` now is, as a
    // fraction of `bounds` held within 0…1; none over an empty area.
    static std::optional<PortraitLayout> movedTo(const QPointF& centre, const QRectF& bounds,
                                                 const PortraitLayout& layout);

    FloatingPanel* panel() const { return panel_.get(); }
    WebcamPreviewView* preview() const { return preview_; }
    CameraFramingPreviewView* cameraPreview() const { return cameraPreview_; }
    const PortraitLayout& layout() const { return layout_; }

private:
    void build(WebcamFeed& feed);
    void clicked();
    void moved(const QPointF& centre);

    std::unique_ptr<FloatingPanel> panel_;
    WebcamPreviewView* preview_ = nullptr;
    CameraFramingPreviewView* cameraPreview_ = nullptr;
    std::optional<CameraFraming> framing_;
    QRectF bounds_;
    PortraitLayout layout_;
};

}  // namespace tavero
