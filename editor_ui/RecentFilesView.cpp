#include "editor_ui/RecentFilesView.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/ElidedLabel.h"
#include "editor_ui/RoundedSurface.h"
#include "editor_ui/ShortcutActionButton.h"
#include "editor_ui/Thumbnail.h"
#include "library/CaptureRecord.h"

#include <QBoxLayout>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QUrl>

namespace tavero {

namespace {

constexpr int padding = 24;
constexpr int spacing = 16;
constexpr double titlePoints = 17;
constexpr double bodyPoints = 13;
constexpr double captionPoints = 10;
constexpr QSize thumbnailSize(60, 44);
constexpr double thumbnailRadius = 5;
constexpr int rowSpacing = 12;
constexpr int rowPadding = 4;
constexpr int listInset = 10;
constexpr int emptySymbolSide = 40;

QLabel* secondary(const QString& text, double points, QWidget* parent) {
    QLabel* label = EditorLook::label(text, points, parent);
    EditorLook::setTextColour(label, EditorLook::secondaryText(parent));
    return label;
}

// Date only, as the day it was written.
QString dayOf(const QDateTime& created) { return created.toLocalTime().toString(QStringLiteral("yyyy年M月d日")); }

}  // namespace

RecentFilesView::RecentFilesView(AppModel& model, std::function<void()> dismiss, QWidget* parent)
    : QWidget(parent), model_(model), dismiss_(std::move(dismiss)) {
    setFixedSize(sheetSize);
    pages_ = new QStackedWidget(this);
    empty_ = makeEmptyState();
    list_ = makeList();
    pages_->addWidget(empty_);
    pages_->addWidget(list_);
    openFolder_ = new QPushButton(QStringLiteral("在文件管理器中打开保存文件夹"), this);
    openFolder_->setAutoDefault(false);
    connect(openFolder_, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(model_.library().root())); });
    QLabel* note = secondary(QStringLiteral("都保存在桌面「岚帧」文件夹，随时可以找到或删除。"), captionPoints, this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);
    column->addWidget(makeHeader());
    column->addWidget(note);
    column->addWidget(pages_, 1);
    column->addWidget(openFolder_, 0, Qt::AlignLeft);

    connect(&model, &AppModel::historyChanged, this, &RecentFilesView::showHistory);
    showHistory();
}

QWidget* RecentFilesView::content() const { return pages_->currentWidget(); }

QWidget* RecentFilesView::makeHeader() {
    auto* header = new QWidget(this);
    done_ = new QPushButton(QStringLiteral("完成"), header);
    done_->setAutoDefault(false);
    connect(done_, &QPushButton::clicked, this, [this] { dismiss_(); });
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(EditorLook::label(QStringLiteral("最近的截图与录屏"), titlePoints, header, FontWeight::bold));
    row->addStretch();
    row->addWidget(done_);
    return header;
}

QWidget* RecentFilesView::makeEmptyState() {
    auto* empty = new QWidget(this);
    auto* symbol = new RoundedSurface(0, Qt::transparent, empty);
    symbol->setFixedSize(emptySymbolSide, emptySymbolSide);
    symbol->setSymbol(QStringLiteral("photo.on.rectangle"), EditorLook::secondaryText(this), emptySymbolSide);
    auto* column = new QVBoxLayout(empty);
    column->setSpacing(8);
    column->addStretch();
    column->addWidget(symbol, 0, Qt::AlignHCenter);
    column->addWidget(EditorLook::label(QStringLiteral("还没有作品"), titlePoints, empty, FontWeight::bold), 0,
                      Qt::AlignHCenter);
    column->addWidget(secondary(QStringLiteral("截一张图或录一段屏幕，保存后会出现在这里。"), bodyPoints, empty), 0,
                      Qt::AlignHCenter);
    column->addStretch();
    return empty;
}

QWidget* RecentFilesView::makeList() {
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rowsHolder_ = new RoundedSurface(10, palette().color(QPalette::Base));
    rowsColumn_ = new QVBoxLayout(rowsHolder_);
    rowsColumn_->setContentsMargins(listInset, listInset / 2, listInset, listInset / 2);
    rowsColumn_->setSpacing(0);
    rowsColumn_->addStretch();
    scroll->setWidget(rowsHolder_);
    return scroll;
}

// Thumbnail, name over date, and an arrow; the whole row is the button.
ShortcutActionButton* RecentFilesView::makeRow(const CaptureRecord& record) {
    const QString file = QDir(model_.library().root()).filePath(record.file);
    auto* row = new ShortcutActionButton(rowsHolder_);
    row->setAccessibleName(record.name);
    connect(row, &QAbstractButton::clicked, this, [this, file] { open(file); });

    auto* thumbnail = new Thumbnail(file, record.kind == CaptureRecord::videoKind, row);
    thumbnail->setFixedSize(thumbnailSize);
    thumbnail->setCornerRadius(thumbnailRadius);
    auto* name = new ElidedLabel(row);
    name->setFont(EditorLook::font(this, bodyPoints));
    name->setText(record.name);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(name);
    texts->addWidget(secondary(dayOf(record.created), captionPoints, row));
    auto* arrow = new RoundedSurface(0, Qt::transparent, row);
    arrow->setFixedSize(16, 16);
    arrow->setSymbol(QStringLiteral("arrow.up.right"), EditorLook::secondaryText(this), 14);

    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, rowPadding, 0, rowPadding);
    line->setSpacing(rowSpacing);
    line->addWidget(thumbnail);
    line->addLayout(texts, 1);
    line->addWidget(arrow);
    return row;
}

void RecentFilesView::showHistory() {
    // A row may be the one being clicked: it goes once the click is over.
    for (ShortcutActionButton* row : std::as_const(rows_)) {
        rowsColumn_->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    rows_.clear();
    const QList<CaptureRecord>& history = model_.history();
    for (const CaptureRecord& record : history) {
        ShortcutActionButton* row = makeRow(record);
        rowsColumn_->insertWidget(int(rows_.size()), row);
        rows_.append(row);
    }
    pages_->setCurrentWidget(history.isEmpty() ? empty_ : list_);
}

// The sheet starts to close first, even when the model then ignores the
// request, as it does while busy.
void RecentFilesView::open(const QString& file) {
    dismiss_();
    model_.open(file, false, false);
}

}  // namespace tavero
