#include "editor_ui/HistoryList.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/HistoryRow.h"
#include "platform/FileManager.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>

namespace tavero {

namespace {

constexpr int emptyTextTop = 16;
constexpr double captionPoints = 10;
constexpr int wheelStep = 20;

}  // namespace

HistoryList::HistoryList(AppModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), model_(model), showFile_(showInFileManager) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(wheelStep);

    emptyText_ = EditorLook::label(QStringLiteral("保存后的截图和录屏会出现在这里。"), captionPoints, viewport());
    EditorLook::setTextColour(emptyText_, EditorLook::secondaryText(this));
    emptyText_->setWordWrap(true);
    rowHeight_ = pooledRow(0)->rowHeight();

    connect(&model, &AppModel::historyChanged, this, &HistoryList::layoutRows);
    layoutRows();
}

QString HistoryList::pathOf(const CaptureRecord& record) const {
    return model_.library().root() + QLatin1Char('/') + record.file;
}

QList<HistoryRow*> HistoryList::rows() const {
    return QList<HistoryRow*>(pool_.begin(), pool_.begin() + qsizetype(shownRows_));
}

HistoryRow* HistoryList::pooledRow(size_t index) {
    while (pool_.size() <= index) {
        auto* row = new HistoryRow(viewport());
        row->hide();
        connect(row, &HistoryRow::clicked, this, [this, row] { model_.open(pathOf(row->record()), false, false); });
        connect(row, &HistoryRow::menuRequested, this,
                [this, row](const QPoint& at) { makeMenu(row->record())->popup(at); });
        pool_.push_back(row);
    }
    return pool_[index];
}

void HistoryList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    layoutRows();
}

void HistoryList::scrollContentsBy(int, int) { layoutRows(); }

void HistoryList::updateScrollRange() {
    const qsizetype count = model_.history().size();
    const int content = count == 0 ? 0 : int(count) * (rowHeight_ + spacing) - spacing;
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(content - viewport()->height(), 0));
}

// Places rows for the entries that meet the viewport, reusing the pool.
void HistoryList::layoutRows() {
    updateScrollRange();
    const QList<CaptureRecord>& history = model_.history();
    emptyText_->setVisible(history.isEmpty());
    emptyText_->setGeometry(0, emptyTextTop, viewport()->width(), emptyText_->heightForWidth(viewport()->width()));

    const int stride = rowHeight_ + spacing;
    const int offset = verticalScrollBar()->value();
    const qsizetype first = std::min<qsizetype>(offset / stride, history.size());
    const qsizetype last = std::min<qsizetype>((offset + viewport()->height()) / stride + 1, history.size());
    shownRows_ = size_t(last - first);
    for (size_t index = 0; index < shownRows_; ++index) {
        const CaptureRecord& record = history[first + qsizetype(index)];
        HistoryRow* row = pooledRow(index);
        row->setGeometry(0, int(first + qsizetype(index)) * stride - offset, viewport()->width(), rowHeight_);
        row->setRecord(record, pathOf(record));
        row->show();
    }
    for (size_t index = shownRows_; index < pool_.size(); ++index) pool_[index]->hide();
}

QMenu* HistoryList::makeMenu(const CaptureRecord& record) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString path = pathOf(record);
    menu->addAction(QStringLiteral("打开"), this, [this, path] { model_.open(path, false, false); });
    if (record.kind == CaptureRecord::imageKind) {
        menu->addAction(QStringLiteral("拼接到当前图片下方"), this, [this, path] { model_.open(path, true, false); });
        menu->addAction(QStringLiteral("拼接到当前图片右侧"), this, [this, path] { model_.open(path, true, true); });
    }
    menu->addAction(QStringLiteral("在文件管理器中显示"), this, [this, path] { showFile_(path); });
    menu->addAction(QStringLiteral("移到废纸篓"), this, [this, record] { moveToTrash(record); });
    return menu;
}

// No confirmation: the file can be restored from the Trash. The list drops
// the entry itself rather than reloading the manifest.
void HistoryList::moveToTrash(const CaptureRecord& record) {
    QPointer<AppModel> model(&model_);
    model_.library().trash(record, [model, id = record.id](std::optional<ShotError> error) {
        if (!model) return;
        if (error) return model->fail(*error);
        QList<CaptureRecord> history = model->history();
        history.removeIf([&id](const CaptureRecord& entry) { return entry.id == id; });
        model->setHistory(history);
    });
}

}  // namespace tavero
