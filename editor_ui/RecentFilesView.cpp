#include "editor_ui/RecentFilesView.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/RecentFileRow.h"
#include "editor_ui/RecycledRowList.h"
#include "editor_ui/RoundedSurface.h"
#include "library/CaptureRecord.h"

#include <QBoxLayout>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>

namespace tavero {

namespace {

constexpr int padding = 24;
constexpr int spacing = 16;
constexpr double titlePoints = 17;
constexpr double bodyPoints = 13;
constexpr double captionPoints = 10;
constexpr int listInset = 10;
constexpr double listCornerRadius = 10;
constexpr int emptySymbolSide = 40;

// The history, one reused row for each entry in view; a click on a row
// hands its file to `open`.
class RecentFilesList final : public RecycledRowList {
public:
    RecentFilesList(AppModel& model, std::function<void(const QString&)> open, QWidget* parent)
        : RecycledRowList(0, parent), model_(model), open_(std::move(open)) {
        setRowHeight(pooledRow(0)->sizeHint().height());
        connect(&model, &AppModel::historyChanged, this, &RecentFilesList::layoutRows);
        layoutRows();
    }

protected:
    qsizetype entryCount() const override { return model_.history().size(); }

    QWidget* makeRow() override {
        auto* row = new RecentFileRow(viewport());
        connect(row, &QAbstractButton::clicked, this, [this, row] { open_(row->path()); });
        return row;
    }

    void showEntry(QWidget* row, qsizetype index) override {
        const CaptureRecord& record = model_.history()[index];
        static_cast<RecentFileRow*>(row)->setRecord(record, QDir(model_.library().root()).filePath(record.file));
    }

private:
    AppModel& model_;
    std::function<void(const QString&)> open_;
};

}  // namespace

RecentFilesView::RecentFilesView(AppModel& model, std::function<void()> dismiss, QWidget* parent)
    : QWidget(parent), model_(model), dismiss_(std::move(dismiss)) {
    setFixedSize(sheetSize);
    // Made top to bottom, which is the keyboard's order.
    QWidget* header = makeHeader();
    pages_ = new QStackedWidget(this);
    empty_ = makeEmptyState();
    listPage_ = makeList();
    pages_->addWidget(empty_);
    pages_->addWidget(listPage_);
    openFolder_ = new QPushButton(QStringLiteral("在文件管理器中打开保存文件夹"), this);
    openFolder_->setAutoDefault(false);
    connect(openFolder_, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(model_.library().root())); });
    QLabel* note = EditorLook::secondaryLabel(QStringLiteral("都保存在桌面「岚帧」文件夹，随时可以找到或删除。"), captionPoints, this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);
    column->addWidget(header);
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
    setWindowTitle(QStringLiteral("最近的截图与录屏"));
    row->addWidget(EditorLook::label(windowTitle(), titlePoints, header, FontWeight::bold));
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
    column->addWidget(EditorLook::secondaryLabel(QStringLiteral("截一张图或录一段屏幕，保存后会出现在这里。"), bodyPoints, empty), 0,
                      Qt::AlignHCenter);
    column->addStretch();
    return empty;
}

// The list on a rounded surface, inset from its edges.
QWidget* RecentFilesView::makeList() {
    auto* surface = new RoundedSurface(listCornerRadius, palette().color(QPalette::Base), this);
    list_ = new RecentFilesList(model_, [this](const QString& file) { open(file); }, surface);
    list_->setAccessibleName(QStringLiteral("最近文件列表"));
    auto* column = new QVBoxLayout(surface);
    column->setContentsMargins(listInset, listInset / 2, listInset, listInset / 2);
    column->addWidget(list_);
    return surface;
}

QList<RecentFileRow*> RecentFilesView::rows() const { return list_->shownRows<RecentFileRow>(); }

void RecentFilesView::showHistory() { pages_->setCurrentWidget(model_.history().isEmpty() ? empty_ : listPage_); }

// The sheet starts to close first, even when the model then ignores the
// request, as it does while busy.
void RecentFilesView::open(const QString& file) {
    dismiss_();
    model_.open(file, false, false);
}

}  // namespace tavero
