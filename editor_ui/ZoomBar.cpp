#include "editor_ui/ZoomBar.h"

#include "document/ShotDocument.h"
#include "editor_ui/EditorLook.h"

#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

#include <algorithm>

namespace tavero {

namespace {
constexpr int sidePadding = 16;
}  // namespace

ZoomBar::ZoomBar(ShotDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
    setFixedHeight(barHeight);
    hint_ = EditorLook::label(QString(), 10, this);
    EditorLook::setTextColour(hint_, EditorLook::secondaryText(this));
    zoomOut_ = EditorLook::borderlessButton(QStringLiteral("−"), QString(), this);
    // Screen readers say what the sign does.
    zoomOut_->setAccessibleName(QStringLiteral("缩小"));
    connect(zoomOut_, &QToolButton::clicked, &document,
            [&document] { document.setZoom(std::max(document.zoom() - step, smallest)); });
    fit_ = EditorLook::borderlessButton(QStringLiteral("适合窗口"), QString(), this);
    connect(fit_, &QToolButton::clicked, this, &ZoomBar::fitWindow);
    actualSize_ = EditorLook::borderlessButton(QStringLiteral("原始大小 100%"), QString(), this);
    actualSize_->setToolTip(QStringLiteral("每个图片像素对应一个屏幕像素；滚动触控板可查看边缘"));
    connect(actualSize_, &QToolButton::clicked, this, &ZoomBar::showActualPixels);
    zoomIn_ = EditorLook::borderlessButton(QStringLiteral("+"), QString(), this);
    zoomIn_->setAccessibleName(QStringLiteral("放大"));
    connect(zoomIn_, &QToolButton::clicked, &document,
            [&document] { document.setZoom(std::min(document.zoom() + step, largest)); });

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(sidePadding, 0, sidePadding, 0);
    row->addWidget(hint_);
    row->addStretch();
    for (QToolButton* button : {zoomOut_, fit_, actualSize_, zoomIn_}) row->addWidget(button);

    connect(&document, &ShotDocument::changed, this, &ZoomBar::showDocument);
    showDocument();
}

void ZoomBar::showDocument() {
    hint_->setText(document_.isEditingText() ? QStringLiteral("回车完成 · Shift+回车换行 · Esc 取消")
                                             : QStringLiteral("Ctrl+Z 撤销  ·  拖入图片可直接打开"));
}

void ZoomBar::fitWindow() {
    document_.setActualPixels(false);
    document_.setZoom(1.0);
}

void ZoomBar::showActualPixels() {
    document_.setActualPixels(true);
    document_.setZoom(1.0);
}

}  // namespace tavero
