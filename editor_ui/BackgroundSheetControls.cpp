// The background sheet's controls column: the presets, the direction, the
// margin and the corner radius. Each control edits one field of the options.
#include "editor_ui/BackgroundSheet.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/FrameSwatch.h"
#include "editor_ui/PanelLook.h"
#include "editor_ui/SegmentedPicker.h"
#include "editor_ui/SteppedSlider.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>

namespace tavero {

namespace {

constexpr int controlsWidth = 238;
constexpr int controlsSpacing = 14;
constexpr int gridColumns = 3;
constexpr int gridColumnSpacing = 8;
constexpr int gridRowSpacing = 10;
constexpr int solidSpacing = 10;
constexpr int blockSpacing = 5;
constexpr double sectionPoints = 12;

QStringList directionTitles() {
    QStringList titles;
    for (GradientDirection direction : allGradientDirections) titles.append(title(direction));
    return titles;
}

}  // namespace

QWidget* BackgroundSheet::makeControls() {
    auto* controls = new QWidget(this);
    controls->setFixedWidth(controlsWidth);
    QLabel* gradients = EditorLook::label(QStringLiteral("柔和渐变"), sectionPoints, controls, FontWeight::medium);
    EditorLook::setTextColour(gradients, EditorLook::secondaryText(this));

    // Made top to bottom, which is the keyboard's order.
    QWidget* grid = makeGradientGrid(controls);
    QWidget* solids = makeSolidRow(controls);
    direction_ = new SegmentedPicker(directionTitles(), controls);
    direction_->setAccessibleName(QStringLiteral("渐变方向"));
    connect(direction_, &SegmentedPicker::picked, this, [this](int index) {
        change([index](FrameOptions& options) { options.direction = allGradientDirections[size_t(index)]; });
    });
    margin_ = new SteppedSlider(24, 240, 8);
    margin_->setAccessibleName(QStringLiteral("背景留白"));
    connect(margin_, &SteppedSlider::valueEdited, this,
            [this](double padding) { change([padding](FrameOptions& options) { options.padding = padding; }); });
    QWidget* marginBlock = makeSliderBlock(QStringLiteral("留白"), margin_, marginValue_, controls);
    corner_ = new SteppedSlider(0, 48, 2);
    corner_->setAccessibleName(QStringLiteral("截图圆角"));
    connect(corner_, &SteppedSlider::valueEdited, this, [this](double radius) {
        change([radius](FrameOptions& options) { options.cornerRadius = radius; });
    });
    QWidget* cornerBlock = makeSliderBlock(QStringLiteral("圆角"), corner_, cornerValue_, controls);

    auto* column = new QVBoxLayout(controls);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(controlsSpacing);
    column->addWidget(gradients);
    column->addWidget(grid);
    column->addWidget(solids);
    column->addWidget(EditorLook::divider(controls));
    column->addWidget(direction_);
    column->addWidget(marginBlock);
    column->addWidget(cornerBlock);
    return controls;
}

QWidget* BackgroundSheet::makeGradientGrid(QWidget* parent) {
    auto* grid = new QWidget(parent);
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(gridColumnSpacing);
    layout->setVerticalSpacing(gridRowSpacing);
    int index = 0;
    for (FramePreset preset : allFramePresets) {
        if (!isGradient(preset)) continue;
        auto* swatch = new GradientSwatch(preset, tint(), grid);
        connect(swatch, &QAbstractButton::clicked, this,
                [this, preset] { change([preset](FrameOptions& options) { options.preset = preset; }); });
        presets_.append(swatch);
        layout->addWidget(swatch, index / gridColumns, index % gridColumns);
        ++index;
    }
    for (int column = 0; column < gridColumns; ++column) layout->setColumnStretch(column, 1);
    return grid;
}

QWidget* BackgroundSheet::makeSolidRow(QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(solidSpacing);
    QLabel* caption = PanelLook::caption(QStringLiteral("纯色"), row);
    EditorLook::setTextColour(caption, EditorLook::secondaryText(this));
    layout->addWidget(caption);
    for (FramePreset preset : allFramePresets) {
        if (isGradient(preset)) continue;
        auto* button = new SolidButton(preset, tint(), row);
        connect(button, &QAbstractButton::clicked, this,
                [this, preset] { change([preset](FrameOptions& options) { options.preset = preset; }); });
        presets_.append(button);
        layout->addWidget(button);
    }
    layout->addStretch();
    return row;
}

// A caption with the value at its end, and the slider below.
QWidget* BackgroundSheet::makeSliderBlock(const QString& caption, SteppedSlider* slider, QLabel*& value,
                                          QWidget* parent) {
    auto* block = new QWidget(parent);
    value = PanelLook::valueLabel(block, 0);
    EditorLook::setTextColour(value, EditorLook::secondaryText(this));
    auto* captionRow = new QHBoxLayout;
    captionRow->addWidget(PanelLook::caption(caption, block));
    captionRow->addStretch();
    captionRow->addWidget(value);
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(blockSpacing);
    column->addLayout(captionRow);
    slider->setParent(block);
    column->addWidget(slider);
    return block;
}

FramePresetButton* BackgroundSheet::presetButton(FramePreset preset) const {
    for (FramePresetButton* button : presets_)
        if (button->preset() == preset) return button;
    return nullptr;
}

}  // namespace tavero
