#include "editor_ui/ScrollingCaptureRow.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditorLook.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tavero {

namespace {

constexpr int padding = 12;
constexpr double textPoints = 11;
constexpr double backgroundOpacity = 0.1;

}  // namespace

ScrollingCaptureRow::ScrollingCaptureRow(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    EditorLook::fill(this, EditorLook::faded(EditorLook::accent(), backgroundOpacity));
    setFont(EditorLook::font(this, textPoints));
    count_ = EditorLook::label(QString(), textPoints, this, FontWeight::medium);
    present_ = EditorLook::defaultButton(QStringLiteral("查看接续状态"), QString(), this);
    connect(present_, &QPushButton::clicked, &model, [&model] { model.scrollSession().presentControls(); });
    finish_ = EditorLook::prominentButton(QStringLiteral("完成并保存"), QString(), this);
    connect(finish_, &QPushButton::clicked, &model, [&model] { model.finishScroll(); });

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding, padding, padding, padding);
    row->addWidget(count_);
    row->addWidget(EditorLook::label(QStringLiteral("向下滚动，自动接续"), textPoints, this));
    row->addStretch();
    row->addWidget(present_);
    row->addWidget(finish_);

    connect(&model, &AppModel::scrollCountChanged, this, &ScrollingCaptureRow::showCount);
    showCount();
}

void ScrollingCaptureRow::showCount() {
    const int count = model_.scrollCount();
    count_->setText(QStringLiteral("长截图 · ") + QString::asprintf("%lld", qlonglong(count)) + QStringLiteral(" 张"));
    setVisible(count >= 1);
}

}  // namespace tavero
