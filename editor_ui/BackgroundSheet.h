#pragma once

#include "document/FrameOptions.h"

#include <QImage>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace tavero {

class BackgroundPreview;
class FramePresetButton;
class FramePreviewBox;
class SegmentedPicker;
class SteppedSlider;

// The sheet that puts the rendered screenshot on a background frame: the
// gradient and solid presets, the gradient's direction, the margin and the
// corner radius, a live preview with the framed result's pixel size, and
// "取消" and "应用背景". Every opening starts from the default options. The
// sheet changes no document: "应用背景" hands the options to `apply` once and
// closes the sheet through `dismiss`; "取消" (Escape) only closes it.
//
// "应用背景" waits for a preview and is refused while the last preview failed,
// which includes a full-size result beyond the size limits.
//
// Main thread; the previews are computed on the worker pool.
class BackgroundSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 748;
    using Apply = std::function<void(const FrameOptions& options)>;
    using Dismiss = std::function<void()>;

    BackgroundSheet(QImage source, Apply apply, Dismiss dismiss, QWidget* parent = nullptr);
    ~BackgroundSheet() override;

    // The tint of the sheet's controls.
    static const QColor& tint();

    const FrameOptions& options() const { return options_; }
    // The last preview that came back; null until the first.
    const QImage& preview() const;
    const std::optional<QString>& previewError() const { return previewError_; }

    const QList<FramePresetButton*>& presetButtons() const { return presets_; }
    FramePresetButton* presetButton(FramePreset preset) const;
    SegmentedPicker* directionPicker() const { return direction_; }
    SteppedSlider* marginSlider() const { return margin_; }
    QLabel* marginLabel() const { return marginValue_; }
    SteppedSlider* cornerSlider() const { return corner_; }
    QLabel* cornerLabel() const { return cornerValue_; }
    QLabel* sizeLabel() const { return size_; }
    QLabel* footnote() const { return footnote_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* applyButton() const { return apply_; }

signals:
    // A preview or its failure arrived.
    void previewAnswered();

private:
    QWidget* makeHeader();
    QWidget* makePreviewColumn();
    QWidget* makeControls();
    QWidget* makeGradientGrid(QWidget* parent);
    QWidget* makeSolidRow(QWidget* parent);
    QWidget* makeSliderBlock(const QString& caption, SteppedSlider* slider, QLabel*& value, QWidget* parent);
    QWidget* makeFooter();
    void change(const std::function<void(FrameOptions&)>& edit);
    void previewed(const QImage& preview);
    void previewFailed(const QString& message);
    void applyOptions();
    void refresh();

    const QImage source_;
    const Apply applyCallback_;
    const Dismiss dismiss_;
    FrameOptions options_;
    std::optional<QString> previewError_;
    BackgroundPreview* previews_ = nullptr;

    FramePreviewBox* previewBox_ = nullptr;
    QLabel* size_ = nullptr;
    QList<FramePresetButton*> presets_;
    SegmentedPicker* direction_ = nullptr;
    SteppedSlider* margin_ = nullptr;
    QLabel* marginValue_ = nullptr;
    SteppedSlider* corner_ = nullptr;
    QLabel* cornerValue_ = nullptr;
    QLabel* footnote_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* apply_ = nullptr;
};

}  // namespace tavero
