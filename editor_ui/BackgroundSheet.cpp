#include "editor_ui/BackgroundSheet.h"

#include "editor_ui/BackgroundPreview.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/FramePreviewBox.h"
#include "editor_ui/FrameSwatch.h"
#include "editor_ui/SegmentedPicker.h"
#include "editor_ui/SteppedSlider.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace tavero {

namespace {

constexpr int margin = 28;
constexpr int rowSpacing = 20;
constexpr int columnSpacing = 24;
constexpr int previewSpacing = 10;
constexpr double titlePoints = 22;
constexpr double subtitlePoints = 12;
constexpr double readoutPoints = 11;
constexpr double footnotePoints = 10;

// The frame is applied at scale 1, so the result is the picture plus twice the margin.
QString sizeReadout(QSize source, double padding) {
    const long long added = 2 * static_cast<long long>(std::floor(padding));
    return QString::asprintf("%lld × %lld px · 保留截图原始像素", source.width() + added, source.height() + added);
}

}  // namespace

BackgroundSheet::BackgroundSheet(QImage source, Apply apply, Dismiss dismiss, QWidget* parent)
    : QWidget(parent), source_(std::move(source)), applyCallback_(std::move(apply)), dismiss_(std::move(dismiss)) {
    setFixedWidth(sheetWidth);
    // The sheet's own tint for its controls.
    QPalette tinted = palette();
    tinted.setColor(QPalette::Highlight, tint());
    setPalette(tinted);

    previews_ = new BackgroundPreview(source_, this);
    connect(previews_, &BackgroundPreview::previewed, this, &BackgroundSheet::previewed);
    connect(previews_, &BackgroundPreview::failed, this, &BackgroundSheet::previewFailed);

    auto* body = new QHBoxLayout;
    body->setSpacing(columnSpacing);
    body->addWidget(makePreviewColumn(), 0, Qt::AlignTop);
    body->addWidget(makeControls(), 0, Qt::AlignTop);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(rowSpacing);
    column->addWidget(makeHeader());
    column->addLayout(body);
    column->addWidget(makeFooter());

    refresh();
    previews_->request(options_);
}

BackgroundSheet::~BackgroundSheet() = default;

const QColor& BackgroundSheet::tint() {
    static const QColor colour = QColor::fromRgbF(0.02f, 0.49f, 0.42f);
    return colour;
}

const QImage& BackgroundSheet::preview() const { return previewBox_->picture(); }

QWidget* BackgroundSheet::makeHeader() {
    auto* header = new QWidget(this);
    setWindowTitle(QStringLiteral("给截图选个背景"));
    QLabel* title = EditorLook::label(windowTitle(), titlePoints, header, FontWeight::semibold);
    QLabel* subtitle = EditorLook::label(QStringLiteral("选颜色、调留白，满意后再应用。"), subtitlePoints, header);
    EditorLook::setTextColour(subtitle, EditorLook::secondaryText(this));
    auto* column = new QVBoxLayout(header);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(5);
    column->addWidget(title);
    column->addWidget(subtitle);
    return header;
}

QWidget* BackgroundSheet::makePreviewColumn() {
    auto* preview = new QWidget(this);
    previewBox_ = new FramePreviewBox(preview);
    size_ = EditorLook::label(QString(), readoutPoints, preview);
    EditorLook::setTextColour(size_, EditorLook::secondaryText(this));
    auto* column = new QVBoxLayout(preview);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(previewSpacing);
    column->addWidget(previewBox_, 0, Qt::AlignHCenter);
    column->addWidget(size_, 0, Qt::AlignHCenter);
    return preview;
}

QWidget* BackgroundSheet::makeFooter() {
    auto* footer = new QWidget(this);
    footnote_ = EditorLook::label(QString(), footnotePoints, footer);
    footnote_->setWordWrap(true);
    footnote_->setMaximumHeight(2 * footnote_->fontMetrics().lineSpacing());
    cancel_ = EditorLook::defaultButton(QStringLiteral("取消"), QString(), footer);
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, [this] { dismiss_(); });
    apply_ = EditorLook::prominentButton(QStringLiteral("应用背景"), QString(), footer);
    QPalette prominent = apply_->palette();
    prominent.setColor(QPalette::Button, tint());
    apply_->setPalette(prominent);
    apply_->setDefault(true);
    connect(apply_, &QPushButton::clicked, this, &BackgroundSheet::applyOptions);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(footnote_, 1);
    row->addWidget(cancel_);
    row->addWidget(apply_);
    return footer;
}

void BackgroundSheet::change(const std::function<void(FrameOptions&)>& edit) {
    FrameOptions changed = options_;
    edit(changed);
    if (changed == options_) return;
    options_ = changed;
    refresh();
    previews_->request(options_);
}

// A new preview replaces the one shown; until it comes, the last one stays.
void BackgroundSheet::previewed(const QImage& preview) {
    previewBox_->setPicture(preview);
    previewError_.reset();
    refresh();
    emit previewAnswered();
}

void BackgroundSheet::previewFailed(const QString& message) {
    previewError_ = message;
    refresh();
    emit previewAnswered();
}

void BackgroundSheet::applyOptions() {
    if (!apply_->isEnabled()) return;
    applyCallback_(options_);
    dismiss_();
}

void BackgroundSheet::refresh() {
    for (FramePresetButton* button : presets_) button->setChosen(button->preset() == options_.preset);
    direction_->setEnabled(isGradient(options_.preset));
    direction_->showSelected(int(options_.direction));
    margin_->showValue(options_.padding);
    marginValue_->setText(QString::asprintf("%lld px", static_cast<long long>(std::floor(options_.padding))));
    corner_->showValue(options_.cornerRadius);
    cornerValue_->setText(QString::asprintf("%lld px", static_cast<long long>(std::floor(options_.cornerRadius))));
    size_->setText(sizeReadout(source_.size(), options_.padding));
    footnote_->setText(previewError_.value_or(QStringLiteral("应用后可按 Ctrl+Z 撤销")));
    EditorLook::setTextColour(footnote_, previewError_ ? QColor(Qt::red) : EditorLook::secondaryText(this));
    apply_->setEnabled(!preview().isNull() && !previewError_);
}

}  // namespace tavero
