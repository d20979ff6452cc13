#include "recording_ui/CameraSetupControls.h"

#include "camera/WebcamFeed.h"
#include "editor_ui/BusySpinner.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/SegmentedPicker.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/CameraFramingControls.h"
#include "recording_ui/WebcamPreviewView.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace tavero {

namespace {

constexpr double cornerRadius = 12;
constexpr int padding = 12;
constexpr double headingSize = 13;
constexpr double captionSize = 11;
constexpr double smallSize = 10;
constexpr int thumbnailHeight = 84;
constexpr int wideThumbnailWidth = 134;
constexpr int percentWidth = 36;
// The size slider counts thousandths of the frame's width.
constexpr int sizeUnits = 1000;
constexpr double smallestPortrait = 0.12;
constexpr double largestPortrait = 0.5;

QColor sectionFill() { return QColor::fromRgbF(0.91f, 0.96f, 0.94f); }

QPushButton* smallButton(const QString& text, QWidget* parent) {
    QPushButton* button = EditorLook::defaultButton(text, QString(), parent);
    button->setFont(EditorLook::font(button, captionSize));
    return button;
}

QStringList shapeTitles() {
    QStringList titles;
    for (const PortraitShape shape : allPortraitShapes) titles.append(rawValue(shape));
    return titles;
}

// The width in whole percent, never rounded up; the small allowance keeps
// 0.29 from reading 28 through the binary fraction below it.
QString percentOf(double width) { return QString::number(qint64(std::trunc(width * 100 + 1e-9))) + QLatin1Char('%'); }

}  // namespace

CameraSetupControls::CameraSetupControls(RecordingStudio& studio, WebcamFeed& feed, QWidget* parent)
    : RoundedSurface(cornerRadius, sectionFill(), parent), studio_(&studio), feed_(&feed) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(10);
    column->addWidget(headingRow());

    body_ = new QWidget(this);
    auto* bodyColumn = new QVBoxLayout(body_);
    bodyColumn->setContentsMargins(0, 0, 0, 0);
    bodyColumn->setSpacing(10);
    bodyColumn->addWidget(cameraRow());
    framing_ = new CameraFramingControls(studio, body_);
    bodyColumn->addWidget(framing_);
    hint_ = EditorLook::secondaryLabel(QStringLiteral("开始后拖动人像可调整位置，单击人像切换全屏口播。所有视频保存在本机。"), captionSize, body_);
    hint_->setWordWrap(true);
    bodyColumn->addWidget(hint_);
    column->addWidget(body_);
    column->addStretch();

    connect(&studio, &RecordingStudio::changed, this, &CameraSetupControls::refresh);
    connect(&feed, &WebcamFeed::changed, this, &CameraSetupControls::refresh);
    refresh();
}

QWidget* CameraSetupControls::headingRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    headingLabel_ = new QWidget(row);
    auto* label = new QHBoxLayout(headingLabel_);
    label->setContentsMargins(0, 0, 0, 0);
    label->setSpacing(6);
    auto* symbol = new QLabel(headingLabel_);
    const int side = int(headingSize);
    symbol->setPixmap(SymbolIcons::icon(QStringLiteral("video"), TaveroStyle::ink()).pixmap(side, side));
    heading_ = EditorLook::label(QStringLiteral("摄像头口播"), headingSize, headingLabel_, FontWeight::medium);
    label->addWidget(symbol);
    label->addWidget(heading_);

    toggle_ = new QCheckBox(QStringLiteral("打开摄像头 · 人像与屏幕一起录"), row);
    toggle_->setFont(EditorLook::font(toggle_, headingSize, FontWeight::medium));
    connect(toggle_, &QCheckBox::toggled, this, [this](bool on) {
        if (studio_) studio_->setCameraEnabled(on);
    });
    spinner_ = new BusySpinner(row);
    layout->addWidget(headingLabel_);
    layout->addWidget(toggle_);
    layout->addStretch();
    layout->addWidget(spinner_);
    return row;
}

QWidget* CameraSetupControls::cameraRow() {
    auto* row = new QWidget(body_);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    thumbnail_ = new WebcamPreviewView(row);
    thumbnail_->setFeed(feed_);

    auto* controls = new QWidget(row);
    auto* column = new QVBoxLayout(controls);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(9);
    status_ = EditorLook::secondaryLabel(QString(), captionSize, controls);
    column->addWidget(status_);
    column->addWidget(portraitControls(controls));
    mirror_ = new QCheckBox(QStringLiteral("镜像人像"), controls);
    mirror_->setFont(EditorLook::font(mirror_, smallSize));
    connect(mirror_, &QCheckBox::toggled, this, [this](bool on) {
        if (!studio_) return;
        PortraitLayout layout = studio_->portrait();
        layout.mirrored = on;
        studio_->setPortrait(layout);
    });
    column->addWidget(mirror_);
    column->addWidget(retryRow(controls));

    layout->addWidget(thumbnail_, 0, Qt::AlignVCenter);
    layout->addWidget(controls, 1);
    return row;
}

QWidget* CameraSetupControls::portraitControls(QWidget* parent) {
    portraitRows_ = new QWidget(parent);
    auto* column = new QVBoxLayout(portraitRows_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(9);
    shape_ = new SegmentedPicker(shapeTitles(), portraitRows_);
    shape_->setAccessibleName(QStringLiteral("人像形状"));
    connect(shape_, &SegmentedPicker::picked, this, [this](int index) {
        if (!studio_ || index < 0 || index >= int(allPortraitShapes.size())) return;
        PortraitLayout layout = studio_->portrait();
        layout.shape = allPortraitShapes[std::size_t(index)];
        studio_->setPortrait(layout);
    });

    auto* sizeRow = new QWidget(portraitRows_);
    auto* row = new QHBoxLayout(sizeRow);
    row->setContentsMargins(0, 0, 0, 0);
    size_ = new ShownValueSlider(sizeRow);
    // Its label shows a whole percentage, cut short.
    size_->setUnitsPerShownValue(sizeUnits / 100.0);
    size_->setShownStep(sizeUnits / 100, ShownValueSlider::ShownRounding::down);
    size_->setRange(int(smallestPortrait * sizeUnits), int(largestPortrait * sizeUnits));
    size_->setAccessibleName(QStringLiteral("人像大小"));
    connect(size_, &QSlider::valueChanged, this, [this](int units) {
        if (!studio_) return;
        PortraitLayout layout = studio_->portrait();
        layout.width = double(units) / sizeUnits;
        studio_->setPortrait(layout);
    });
    sizeText_ = EditorLook::label(QString(), smallSize, sizeRow);
    sizeText_->setFixedWidth(percentWidth);
    row->addWidget(EditorLook::label(QStringLiteral("大小"), smallSize, sizeRow));
    row->addWidget(size_, 1);
    row->addWidget(sizeText_);

    column->addWidget(shape_);
    column->addWidget(sizeRow);
    return portraitRows_;
}

QWidget* CameraSetupControls::retryRow(QWidget* parent) {
    retryRow_ = new QWidget(parent);
    auto* row = new QHBoxLayout(retryRow_);
    row->setContentsMargins(0, 0, 0, 0);
    retry_ = smallButton(QStringLiteral("重试摄像头"), retryRow_);
    connect(retry_, &QPushButton::clicked, this, [this] {
        if (studio_) studio_->setCameraEnabled(true);
    });
    // Linux keeps no camera permission and has no settings pane for one:
    // the button is offered as designed and does nothing.
    settings_ = smallButton(QStringLiteral("摄像头权限设置"), retryRow_);
    row->addWidget(retry_);
    row->addWidget(settings_);
    row->addStretch();
    return retryRow_;
}

void CameraSetupControls::refresh() {
    if (!studio_ || !feed_) return;
    const bool cameraOnly = studio_->scope() == RecordingScope::camera;
    const bool enabled = studio_->cameraEnabled();
    const PortraitLayout& portrait = studio_->portrait();

    headingLabel_->setVisible(cameraOnly);
    toggle_->setVisible(!cameraOnly);
    {
        const QSignalBlocker quiet(toggle_);
        toggle_->setChecked(enabled);
    }
    spinner_->setVisible(feed_->preparing());
    body_->setVisible(enabled);

    thumbnail_->setVisible(feed_->ready() && !cameraOnly);
    thumbnail_->setPortrait(portrait);
    thumbnail_->setFixedSize(portrait.shape == PortraitShape::rectangle ? wideThumbnailWidth : thumbnailHeight,
                             thumbnailHeight);
    status_->setText(feed_->message());
    portraitRows_->setVisible(!cameraOnly);
    shape_->showSelected(int(std::find(allPortraitShapes.begin(), allPortraitShapes.end(), portrait.shape) -
                             allPortraitShapes.begin()));
    {
        const QSignalBlocker quiet(size_);
        size_->setValue(int(std::lround(portrait.width * sizeUnits)));
    }
    sizeText_->setText(percentOf(portrait.width));
    {
        const QSignalBlocker quiet(mirror_);
        mirror_->setChecked(portrait.mirrored);
    }
    retryRow_->setVisible(!feed_->ready() && !feed_->preparing());
    framing_->setVisible(cameraOnly);
    hint_->setVisible(!cameraOnly);
}

}  // namespace tavero
