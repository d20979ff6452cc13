#include "app/FileOpenPanel.h"

#include "editor_ui/SheetPresentation.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace tavero {

namespace {

QString nameFilter(const QStringList& extensions) {
    QStringList patterns;
    for (const QString& extension : extensions) patterns.append(QStringLiteral("*.") + extension);
    return QStringLiteral("支持的文件 (%1)").arg(patterns.join(QLatin1Char(' ')));
}

// Qt's own dialog has no place for a message, so the line goes below its
// controls, across the whole width.
void addMessage(QFileDialog& dialog, const QString& message) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid) return;
    auto* label = new QLabel(message, &dialog);
    label->setWordWrap(true);
    grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
}

// Qt's dialog says "file not found" in an alert of its own, inside its
// accept(); a screen reader can still press 打开 meanwhile, which finishes the
// dialog from within. It goes only once no accept() of its own runs any
// more, so that the first one never returns into a deleted dialog.
class OpenPanelDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        ++accepting_;
        QFileDialog::accept();
        --accepting_;
        if (finished_) deleteOnceAnswered();
    }

    void finish() {
        finished_ = true;
        deleteOnceAnswered();
    }

private:
    void deleteOnceAnswered() {
        if (accepting_ == 0) deleteLater();
    }

    int accepting_ = 0;
    bool finished_ = false;
};

}  // namespace

FileOpenPanel::~FileOpenPanel() { delete dialog_.data(); }

void FileOpenPanel::present(const OpenPanelRequest& request, OpenPanelChosen chosen) {
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    QWidget* window = QApplication::activeWindow();
    auto* dialog = new OpenPanelDialog(window);
    dialog_ = dialog;
    QObject::connect(dialog, &QDialog::finished, dialog, &OpenPanelDialog::finish);
    // The widget dialog on every desktop, so the message has its place.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setWindowTitle(request.title);
    dialog->setLabelText(QFileDialog::Accept, request.prompt);
    dialog->setNameFilter(nameFilter(request.extensions));
    if (!request.directory.isEmpty()) dialog->setDirectory(request.directory);
    addMessage(*dialog, request.message);
    // Over a window it is that window's sheet; without one, a panel of its own.
    dialog->setWindowModality(window ? Qt::WindowModal : Qt::NonModal);
    if (window) SheetPresentation::frame(*dialog);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [chosen = std::move(chosen)](const QString& path) {
        if (!path.isEmpty()) chosen(path);
    });
    SheetPresentation::present(*dialog);
}

}  // namespace tavero
