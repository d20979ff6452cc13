#include "editor_ui/HistoryList.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/HistoryRow.h"
#include "platform/files/FileManager.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>

namespace tavero {

namespace {

constexpr int emptyTextTop = 16;
constexpr double captionPoints = 10;

}  // namespace

HistoryList::HistoryList(AppModel& model, QWidget* parent)
    : RecycledRowList(spacing, parent), model_(model), showFile_(showInFileManager) {
    setAccessibleName(QStringLiteral("历史列表"));
    emptyText_ = EditorLook::label(QStringLiteral("保存后的截图和录屏会出现在这里。"), captionPoints, viewport());
    EditorLook::setTextColour(emptyText_, EditorLook::secondaryText(this));
    emptyText_->setWordWrap(true);
    setRowHeight(static_cast<HistoryRow*>(pooledRow(0))->rowHeight());

    connect(&model, &AppModel::historyChanged, this, &HistoryList::showHistory);
    showHistory();
}

QString HistoryList::pathOf(const CaptureRecord& record) const {
    return model_.library().root() + QLatin1Char('/') + record.file;
}

QList<HistoryRow*> HistoryList::rows() const { return shownRows<HistoryRow>(); }

qsizetype HistoryList::entryCount() const { return model_.history().size(); }

QWidget* HistoryList::makeRow() {
    auto* row = new HistoryRow(viewport());
    connect(row, &HistoryRow::clicked, this, [this, row] { model_.open(pathOf(row->record()), false, false); });
    connect(row, &HistoryRow::menuRequested, this,
            [this, row](const QPoint& at) { makeMenu(row->record())->popup(at); });
    return row;
}

void HistoryList::showEntry(QWidget* row, qsizetype index) {
    const CaptureRecord& record = model_.history()[index];
    static_cast<HistoryRow*>(row)->setRecord(record, pathOf(record));
}

void HistoryList::resizeEvent(QResizeEvent* event) {
    RecycledRowList::resizeEvent(event);
    placeEmptyText();
}

void HistoryList::showHistory() {
    layoutRows();
    placeEmptyText();
}

void HistoryList::placeEmptyText() {
    emptyText_->setVisible(model_.history().isEmpty());
    emptyText_->setGeometry(0, emptyTextTop, viewport()->width(), emptyText_->heightForWidth(viewport()->width()));
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
