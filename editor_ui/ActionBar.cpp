#include "editor_ui/ActionBar.h"

#include "app/model/AppModel.h"
#include "document/ShotDocument.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/ElidedLabel.h"
#include "editor_ui/InstantMenu.h"

#include <QBoxLayout>
#include <QFrame>
#include <QMenu>
#include <QToolButton>

namespace tavero {

namespace {

constexpr int spacing = 12;
constexpr int sidePadding = 18;
constexpr int minimumGap = 4;
constexpr int dividerHeight = 18;

}  // namespace

ActionBar::ActionBar(AppModel& model, ShotDocument& document, QWidget* parent) : QWidget(parent), model_(model) {
    setFixedHeight(barHeight);
    name_ = new ElidedLabel(this);
    name_->setFont(EditorLook::font(this, 12, FontWeight::medium));

    recognize_ = EditorLook::borderlessButton(QStringLiteral("识别文字"), QStringLiteral("text.viewfinder"), this);
    recognize_->setToolTip(QStringLiteral("中英文 OCR，完全本地"));
    connect(recognize_, &QToolButton::clicked, &model, [&model] { model.ocr(); });
    pin_ = EditorLook::borderlessButton(QStringLiteral("贴图"), QStringLiteral("pin"), this);
    connect(pin_, &QToolButton::clicked, &model, [&model] { model.pin(); });
    copy_ = EditorLook::borderlessButton(QStringLiteral("复制"), QStringLiteral("doc.on.doc"), this);
    copy_->setToolTip(QStringLiteral("Ctrl+C"));
    connect(copy_, &QToolButton::clicked, &model, [&model] { model.copy(); });
    QFrame* divider = EditorLook::divider(this, true);
    divider->setFixedHeight(dividerHeight);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(sidePadding, 0, sidePadding, 0);
    row->setSpacing(spacing);
    row->addWidget(name_, 1);
    row->addSpacing(minimumGap);
    row->addWidget(recognize_);
    row->addWidget(pin_);
    row->addWidget(divider);
    row->addWidget(copy_);
    row->addWidget(makeSaveButton());

    const auto showName = [this, &document] { name_->setText(document.name()); };
    connect(&document, &ShotDocument::changed, this, showName);
    showName();
}

QToolButton* ActionBar::makeSaveButton() {
    QToolButton* save = EditorLook::borderlessButton(QStringLiteral("保存"), QStringLiteral("square.and.arrow.down"), this);
    save->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    saveMenu_ = new QMenu(save);
    const auto saveAs = [this](const QString& title, const QString& type) {
        connect(saveMenu_->addAction(title), &QAction::triggered, &model_, [this, type] { model_.save(type); });
    };
    saveAs(QStringLiteral("保存 PNG"), QStringLiteral("png"));
    saveAs(QStringLiteral("保存 JPEG"), QStringLiteral("jpg"));
    saveAs(QStringLiteral("保存 HEIC"), QStringLiteral("heic"));
    saveMenu_->addSeparator();
    connect(saveMenu_->addAction(QStringLiteral("保存可编辑工程")), &QAction::triggered, &model_,
            [this] { model_.saveProject(); });
    setInstantMenu(*save, saveMenu_);
    return save;
}

}  // namespace tavero
