#include "editor_ui/StartView.h"

#include "app/model/AppModel.h"
#include "document/ShotDocument.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/RoundedSurface.h"
#include "editor_ui/ScrollToFocus.h"
#include "editor_ui/TaskCard.h"
#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/StartActionButton.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"
#include "platform/AppBrand.h"
#include "recording/studio/RecordingStudio.h"

#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace tavero {

namespace {

constexpr int rowSpacing = 18;
constexpr int sidePadding = 36;
constexpr int endPadding = 22;
constexpr int cardSpacing = 20;
constexpr int resumeIconSide = 16;
constexpr int sampleBadgeSide = 38;

QToolButton* linkButton(const QString& text, const QString& symbol, QWidget* parent) {
    QToolButton* button = EditorLook::borderlessButton(text, symbol, parent);
    button->setFont(EditorLook::font(parent, 12));
    return button;
}

}  // namespace

StartView::StartView(AppModel& model, ShotDocument& document, std::function<void()> openFile, QWidget* parent)
    : QScrollArea(parent), model_(model), document_(document), openFile_(std::move(openFile)) {
    // The first stop of the keyboard, named for screen readers by what it holds.
    setAccessibleName(QStringLiteral("开始页"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    EditorLook::fill(viewport(), TaveroStyle::paper());
    FocusRing::drawAbove(*this, 0);
    scrollToFocus(*this);

    content_ = new QWidget;
    content_->setMaximumWidth(maximumContentWidth);
    content_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    // Made top to bottom, which is the keyboard's order.
    QWidget* header = makeHeader();
    screenshotCard_ = new TaskCard(TaskCard::Kind::screenshot, model, content_);
    recordingCard_ = new TaskCard(TaskCard::Kind::recording, model, content_);
    auto* cards = new QHBoxLayout;
    cards->setSpacing(cardSpacing);
    cards->addWidget(screenshotCard_, 1, Qt::AlignTop);
    cards->addWidget(recordingCard_, 1, Qt::AlignTop);

    auto* column = new QVBoxLayout(content_);
    column->setContentsMargins(sidePadding, endPadding, sidePadding, endPadding);
    column->setSpacing(rowSpacing);
    column->addWidget(header);
    column->addLayout(cards);
    column->addWidget(makeSample());
    column->addWidget(makeMaterialRow());

    // The content takes the width it may have; the paper shows on both sides
    // of it beyond that.
    auto* page = new QWidget;
    EditorLook::fill(page, TaveroStyle::paper());
    auto* centred = new QHBoxLayout(page);
    centred->setContentsMargins(0, 0, 0, 0);
    centred->setSpacing(0);
    centred->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Minimum));
    centred->addWidget(content_, 0, Qt::AlignTop);
    centred->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Minimum));
    setWidget(page);

    connect(&model, &AppModel::busyChanged, this, &StartView::refresh);
    connect(&model, &AppModel::videoURLChanged, this, &StartView::refresh);
    connect(&document, &ShotDocument::changed, this, &StartView::refresh);
    connect(&model.studio(), &RecordingStudio::phaseChanged, this, &StartView::refresh);
    refresh();
}

QWidget* StartView::makeHeader() {
    auto* header = new QWidget(content_);
    QLabel* tagline = EditorLook::label(AppBrand::tagline, 28, header, FontWeight::medium);
    EditorLook::setTextColour(tagline, TaveroStyle::ink());
    auto* lines = new QVBoxLayout;
    lines->setSpacing(8);
    lines->addWidget(tagline);
    lines->addWidget(EditorLook::secondaryLabel(QStringLiteral("选一件想做的事，从这里开始。"), 14, header));

    resume_ = new StartActionButton(QString(), StartActionStyle(false, TaveroStyle::green(), 42), header);
    resume_->setIcon(SymbolIcons::icon(QStringLiteral("arrow.uturn.backward"), TaveroStyle::ink()));
    resume_->setIconSize(QSize(resumeIconSide, resumeIconSide));
    connect(resume_, &QAbstractButton::clicked, &model_, [this] { model_.resumeWorkspace(); });

    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(lines);
    row->addStretch();
    row->addWidget(resume_);
    return header;
}

QWidget* StartView::makeSample() {
    auto* sample = new RoundedSurface(14, Qt::white, content_);
    auto* badge = new RoundedSurface(10, EditorLook::faded(TaveroStyle::mint(), 0.12), sample);
    badge->setFixedSize(sampleBadgeSide, sampleBadgeSide);
    badge->setSymbol(QStringLiteral("sparkles"), TaveroStyle::green(), 25);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(5);
    lines->addWidget(EditorLook::label(QStringLiteral("第一次用？先做一张示例图"), 14, sample, FontWeight::medium));
    lines->addWidget(
        EditorLook::secondaryLabel(QStringLiteral("无需屏幕权限。跟着做：标出重点、加背景、复制分享。"), 12, sample));
    sample_ = new StartActionButton(QStringLiteral("试一试"), StartActionStyle(false, TaveroStyle::green(), 42), sample);
    connect(sample_, &QAbstractButton::clicked, &model_, [this] { model_.demo(); });

    auto* row = new QHBoxLayout(sample);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(14);
    row->addWidget(badge);
    row->addLayout(lines);
    row->addStretch();
    row->addWidget(sample_);
    return sample;
}

QWidget* StartView::makeMaterialRow() {
    auto* material = new QWidget(content_);
    open_ = linkButton(QStringLiteral("打开图片或视频"), QStringLiteral("folder"), material);
    connect(open_, &QToolButton::clicked, this, [this] { openFile_(); });
    paste_ = linkButton(QStringLiteral("粘贴图片"), QStringLiteral("doc.on.clipboard"), material);
    paste_->setToolTip(QStringLiteral("Ctrl+V"));
    connect(paste_, &QToolButton::clicked, &model_, [this] { model_.paste(); });

    auto* row = new QHBoxLayout(material);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    row->addWidget(EditorLook::secondaryLabel(QStringLiteral("已有素材？"), 12, material));
    row->addWidget(open_);
    row->addWidget(paste_);
    row->addStretch();
    row->addWidget(EditorLook::secondaryLabel(QStringLiteral("也可以直接拖入文件"), 12, material));
    return material;
}

// The studio is asked only when the model is not busy.
void StartView::refresh() {
    const bool busy = model_.busy();
    const bool captureBlocked = busy || model_.studio().phase().occupied();
    screenshotCard_->setCaptureBlocked(captureBlocked);
    recordingCard_->setCaptureBlocked(captureBlocked);
    sample_->setEnabled(!busy);

    const bool hasContent = !document_.image().isNull() || model_.videoURL().has_value();
    resume_->setVisible(hasContent);
    resume_->setText(model_.videoURL() ? QStringLiteral("返回当前视频") : QStringLiteral("继续编辑当前图片"));
    resume_->setEnabled(!busy);
}

}  // namespace tavero
