#include "recording_ui/CameraFramingControls.h"

#include "editor_ui/EditorLook.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/CameraAspectButton.h"
#include "recording_ui/CameraFramingPreviewView.h"
#include "recording_ui/RecordingColours.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace tavero {

namespace {

constexpr double headerSize = 13;
constexpr double captionSize = 11;
constexpr double fieldRowSize = 12;
constexpr double smallSize = 10;
constexpr int gridColumns = 3;
constexpr int gridSpacing = 8;
constexpr int fieldWidth = 78;
constexpr QSize sourcePreviewSize(340, 200);
constexpr int previewHeight = 200;
constexpr int zoomTextWidth = 34;
// The zoom slider counts hundredths of the zoom, from 1× to 10×; its label
// shows tenths.
constexpr int zoomUnits = 100;
constexpr int shownZoomStep = 10;
constexpr int largestZoom = 10;

QPushButton* smallButton(const QString& text, QWidget* parent) {
    QPushButton* button = EditorLook::defaultButton(text, QString(), parent);
    button->setFont(EditorLook::font(button, captionSize));
    return button;
}

// The zoom as the user reads it: how many times smaller than the largest
// crop the crop is.
double zoomOf(const CameraFraming& framing) { return 1 / framing.cropScale; }

QString previewName(const CameraFraming& framing) {
    return QStringLiteral("成片预览，") + framing.sizeLabel() + QStringLiteral(" 像素");
}

}  // namespace

CameraFramingControls::CameraFramingControls(RecordingStudio& studio, QWidget* parent)
    : QWidget(parent), studio_(&studio) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(header());
    column->addWidget(aspectGrid());
    column->addWidget(sizeRow());
    column->addWidget(previews());
    column->addWidget(zoomRow());
    column->addWidget(EditorLook::secondaryLabel(QStringLiteral("按预览裁切，不拉伸人像。取景框外的内容不会录入视频。"), captionSize, this));
    column->addStretch();
    connect(&studio, &RecordingStudio::changed, this, &CameraFramingControls::refresh);
    refresh();
}

QWidget* CameraFramingControls::header() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(EditorLook::label(QStringLiteral("人像画幅"), headerSize, row, FontWeight::medium));
    layout->addStretch();
    size_ = EditorLook::secondaryLabel(QString(), captionSize, row);
    layout->addWidget(size_);
    return row;
}

QWidget* CameraFramingControls::aspectGrid() {
    auto* grid = new QWidget(this);
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(gridSpacing);
    for (const CameraAspect aspect : allCameraAspects) {
        auto* button = new CameraAspectButton(aspect, grid);
        connect(button, &QAbstractButton::clicked, this, [this, aspect] { choose(aspect); });
        const int index = int(aspects_.size());
        layout->addWidget(button, index / gridColumns, index % gridColumns);
        aspects_.append(button);
    }
    for (int c = 0; c < gridColumns; ++c) layout->setColumnStretch(c, 1);
    return grid;
}

QWidget* CameraFramingControls::sizeRow() {
    sizeBlock_ = new QWidget(this);
    QWidget* block = sizeBlock_;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    customRow_ = new QWidget(block);
    auto* row = new QHBoxLayout(customRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    widthField_ = dimensionField(true);
    heightField_ = dimensionField(false);
    row->addWidget(EditorLook::label(QStringLiteral("宽"), fieldRowSize, customRow_));
    row->addWidget(widthField_);
    row->addWidget(EditorLook::label(QStringLiteral("×"), fieldRowSize, customRow_));
    row->addWidget(EditorLook::label(QStringLiteral("高"), fieldRowSize, customRow_));
    row->addWidget(heightField_);
    row->addWidget(EditorLook::secondaryLabel(QStringLiteral("像素"), fieldRowSize, customRow_));
    row->addStretch();
    issue_ = EditorLook::label(QString(), smallSize, block);
    EditorLook::setTextColour(issue_, RecordingColours::red());
    column->addWidget(customRow_);
    column->addWidget(issue_);
    return block;
}

QLineEdit* CameraFramingControls::dimensionField(bool width) {
    auto* field = new QLineEdit(customRow_);
    field->setPlaceholderText(width ? QStringLiteral("宽度") : QStringLiteral("高度"));
    field->setAccessibleName(width ? QStringLiteral("自定义画幅宽度") : QStringLiteral("自定义画幅高度"));
    field->setFixedWidth(fieldWidth);
    field->setFont(EditorLook::font(field, fieldRowSize));
    // The typed value goes in as it is, unclamped: an out-of-range size shows
    // its sentence and blocks the take until it is corrected.
    connect(field, &QLineEdit::textEdited, this, [this, width](const QString& text) {
        const qint64 value = parsedSize(text);
        edit([width, value](CameraFraming& framing) { (width ? framing.customWidth : framing.customHeight) = value; });
    });
    return field;
}

QWidget* CameraFramingControls::previews() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    const auto previewColumn = [layout](QLabel* caption, CameraFramingPreviewView* preview, int stretch) {
        auto* column = new QVBoxLayout;
        column->setSpacing(6);
        column->addWidget(caption);
        column->addWidget(preview);
        column->addStretch();
        layout->addLayout(column, stretch);
    };
    const auto write = [this](const CameraFraming& framing) {
        if (studio_) studio_->setCameraFraming(framing);
    };

    sourceCaption_ = EditorLook::secondaryLabel(QString(), captionSize, row);
    sourcePreview_ = new CameraFramingPreviewView(row);
    sourcePreview_->setShowsSource(true);
    sourcePreview_->setFixedSize(sourcePreviewSize);
    sourcePreview_->setAccessibleName(QStringLiteral("摄像头取景范围，拖动调整位置或重新框选"));
    sourcePreview_->setChanged(write);
    sourcePreview_->setSelectionFinished([this] { setDrawing(false); });
    previewColumn(sourceCaption_, sourcePreview_, 0);

    outputPreview_ = new CameraFramingPreviewView(row);
    outputPreview_->setFixedHeight(previewHeight);
    outputPreview_->setMinimumWidth(1);
    outputPreview_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    previewColumn(EditorLook::secondaryLabel(QStringLiteral("成片预览"), captionSize, row), outputPreview_, 1);
    return row;
}

QWidget* CameraFramingControls::zoomRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    select_ = smallButton(QString(), row);
    connect(select_, &QPushButton::clicked, this, &CameraFramingControls::toggleDrawing);
    zoom_ = new ShownValueSlider(row);
    zoom_->setRange(zoomUnits, largestZoom * zoomUnits);
    zoom_->setUnitsPerShownValue(zoomUnits);
    zoom_->setShownStep(shownZoomStep, ShownValueSlider::ShownRounding::nearest);
    zoom_->setAccessibleName(QStringLiteral("取景放大倍数"));
    connect(zoom_, &QSlider::valueChanged, this, [this](int units) {
        const double zoom = double(units) / zoomUnits;
        edit([zoom](CameraFraming& framing) { framing.cropScale = 1 / zoom; });
    });
    zoomText_ = EditorLook::label(QString(), smallSize, row);
    QFont digits = zoomText_->font();
    digits.setStyleHint(QFont::Monospace);
    zoomText_->setFont(digits);
    zoomText_->setFixedWidth(zoomTextWidth);
    reset_ = smallButton(QStringLiteral("重置构图"), row);
    connect(reset_, &QPushButton::clicked, this, &CameraFramingControls::resetComposition);
    layout->addWidget(select_);
    layout->addWidget(EditorLook::label(QStringLiteral("放大"), smallSize, row));
    layout->addWidget(zoom_, 1);
    layout->addWidget(zoomText_);
    layout->addWidget(reset_);
    return row;
}

qint64 CameraFramingControls::parsedSize(const QString& text) {
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    if (!whole.match(text).hasMatch()) return 0;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? value : 0;
}

CameraAspectButton* CameraFramingControls::aspectButton(CameraAspect aspect) const {
    for (CameraAspectButton* button : aspects_)
        if (button->aspect() == aspect) return button;
    return nullptr;
}

// One assignment of the studio's framing, which saves it when valid.
void CameraFramingControls::edit(const std::function<void(CameraFraming&)>& change) {
    if (!studio_) return;
    CameraFraming framing = studio_->cameraFraming();
    change(framing);
    studio_->setCameraFraming(framing);
}

void CameraFramingControls::choose(CameraAspect aspect) {
    edit([aspect](CameraFraming& framing) { framing.choose(aspect); });
    setDrawing(false);
}

// Drawing a crop of any shape needs the custom aspect: the size of the
// current aspect becomes the custom size first, keeping the crop.
void CameraFramingControls::toggleDrawing() {
    if (studio_ && !drawing_ && studio_->cameraFraming().aspect != CameraAspect::custom) {
        const QSize size = studio_->cameraFraming().outputSize();
        edit([size](CameraFraming& framing) { framing.customWidth = size.width(); });
        edit([size](CameraFraming& framing) { framing.customHeight = size.height(); });
        edit([](CameraFraming& framing) { framing.aspect = CameraAspect::custom; });
    }
    setDrawing(!drawing_);
}

void CameraFramingControls::resetComposition() {
    edit([](CameraFraming& framing) { framing.centerX = 0.5; });
    edit([](CameraFraming& framing) { framing.centerY = 0.5; });
    edit([](CameraFraming& framing) { framing.cropScale = 1; });
    setDrawing(false);
}

void CameraFramingControls::setDrawing(bool drawing) {
    drawing_ = drawing;
    refresh();
}

// A field keeps what the user typed while it still means the stored value
// ("+0100", or letters standing for 0), so typing is never rewritten.
void CameraFramingControls::showSize(QLineEdit* field, qint64 value) {
    if (parsedSize(field->text()) == value) return;
    field->setText(QString::number(value));
}

void CameraFramingControls::refresh() {
    if (!studio_) return;
    const CameraFraming& framing = studio_->cameraFraming();
    size_->setText(QStringLiteral("成片 ") + framing.sizeLabel());
    for (CameraAspectButton* button : aspects_) button->setCurrent(button->aspect() == framing.aspect);

    const bool custom = framing.aspect == CameraAspect::custom;
    sizeBlock_->setVisible(custom);
    showSize(widthField_, framing.customWidth);
    showSize(heightField_, framing.customHeight);
    const std::optional<QString> issue = framing.validationIssue();
    issue_->setText(issue.value_or(QString()));
    issue_->setVisible(custom && issue.has_value());

    const bool mirrored = studio_->portrait().mirrored;
    for (CameraFramingPreviewView* preview : {sourcePreview_, outputPreview_}) {
        preview->setFeed(&studio_->webcam());
        preview->setFraming(framing);
        preview->setMirrored(mirrored);
    }
    sourcePreview_->setDrawsSelection(drawing_);
    outputPreview_->setAccessibleName(previewName(framing));
    sourceCaption_->setText(drawing_ ? QStringLiteral("拖出想录的范围") : QStringLiteral("拖动取景框调整构图"));
    select_->setText(drawing_ ? QStringLiteral("取消框选") : QStringLiteral("自己框选范围"));

    const QSignalBlocker quiet(zoom_);
    zoom_->setValue(int(std::lround(std::clamp(zoomOf(framing), 1.0, double(largestZoom)) * zoomUnits)));
    zoomText_->setText(QString::asprintf("%.1f×", zoomOf(framing)));
}

}  // namespace tavero
