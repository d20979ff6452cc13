#include "editor_ui/ImageDimensions.h"

#include "app/model/AppModel.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/InstantMenu.h"
#include "editor_ui/MainViewState.h"
#include "editor_ui/ResizeWidth.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace tavero {

namespace {

constexpr int topPadding = 8;
constexpr int spacing = 10;
constexpr int widthFieldWidth = 86;
constexpr double textPoints = 11;

}  // namespace

ImageDimensions::ImageDimensions(AppModel& model, ShotDocument& document, MainViewState& state, QWidget* parent)
    : QWidget(parent), model_(model), document_(document), state_(state) {
    setFont(EditorLook::font(this, textPoints));
    EditorLook::setTextColour(this, EditorLook::secondaryText(this));

    rotationMenu_ = new QMenu(this);
    rotationMenu_->addAction(QStringLiteral("向右旋转 90°"), this, [this] {
        model_.transform([](const QImage& image) { return ImageOps::transformed(image, true, false); });
    });
    rotationMenu_->addAction(QStringLiteral("水平翻转"), this, [this] {
        model_.transform([](const QImage& image) { return ImageOps::transformed(image, false, true); });
    });
    rotation_ = makeMenuButton(QStringLiteral("图片旋转与翻转"), QStringLiteral("rotate.right"), rotationMenu_);

    joinMenu_ = new QMenu(this);
    joinMenu_->addAction(QStringLiteral("接到下方"), this, [this] { model_.chooseAppendFile(false); });
    joinMenu_->addAction(QStringLiteral("接到右侧"), this, [this] { model_.chooseAppendFile(true); });
    join_ = makeMenuButton(QStringLiteral("拼接另一张图片"), QStringLiteral("rectangle.on.rectangle"), joinMenu_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, topPadding, 0, 0);
    column->setSpacing(spacing);
    column->addWidget(rotation_);
    column->addWidget(join_);
    column->addWidget(makeResizeRow());

    connect(&document, &ShotDocument::changed, this, &ImageDimensions::refresh);
    connect(&state, &MainViewState::changed, this, &ImageDimensions::refresh);
    refresh();
}

QToolButton* ImageDimensions::makeMenuButton(const QString& title, const QString& symbol, QMenu* menu) {
    QToolButton* button = EditorLook::plainButton(title, symbol, this);
    EditorLook::setTextColour(button, EditorLook::secondaryText(this));
    EditorLook::setSymbol(button, symbol);
    setInstantMenu(*button, menu);
    return button;
}

QWidget* ImageDimensions::makeResizeRow() {
    auto* row = new QWidget(this);
    width_ = new QLineEdit(row);
    width_->setPlaceholderText(QStringLiteral("宽度 px"));
    // Screen readers read the placeholder as a description only, and not at all once it holds a number.
    width_->setAccessibleName(QStringLiteral("宽度"));
    width_->setFixedWidth(widthFieldWidth);
    connect(width_, &QLineEdit::textEdited, &state_, [this](const QString& text) { state_.setResizeWidth(text); });
    resize_ = EditorLook::defaultButton(QStringLiteral("缩放"), QString(), row);
    resize_->setAutoDefault(false);
    connect(resize_, &QPushButton::clicked, this, &ImageDimensions::resizePicture);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(width_);
    layout->addWidget(resize_);
    layout->addStretch();
    return row;
}

void ImageDimensions::resizePicture() {
    const std::optional<int> width = ResizeWidth::parse(state_.resizeWidth());
    if (!width) return;
    model_.transform([width = *width](const QImage& image) {
        return ImageOps::resized(image, width, ResizeWidth::heightFor(image.size(), width));
    });
}

void ImageDimensions::refresh() {
    const bool hasImage = !document_.image().isNull();
    rotation_->setEnabled(hasImage);
    resize_->setEnabled(hasImage);
    if (width_->text() != state_.resizeWidth()) width_->setText(state_.resizeWidth());
}

}  // namespace tavero
