#include "editor_ui/SheetBinding.h"

#include "editor_ui/SheetPresentation.h"

#include <QBoxLayout>
#include <QDialog>

namespace tavero {

SheetBinding::SheetBinding(QWidget* window, Binding binding)
    : QObject(window), window_(window), binding_(std::move(binding)) {}

SheetBinding::~SheetBinding() {
    if (sheet_) {
        sheet_->disconnect(this);
        delete sheet_;
    }
}

void SheetBinding::update() {
    const bool wanted = binding_.isPresented();
    if (wanted && !sheet_) present();
    if (!wanted && sheet_) sheet_->reject();
}

void SheetBinding::present() {
    sheet_ = new QDialog(window_);
    sheet_->setWindowModality(Qt::WindowModal);
    // What a window list shows for it.
    sheet_->setWindowTitle(window_->window()->windowTitle());
    auto* layout = new QVBoxLayout(sheet_);
    layout->setContentsMargins(0, 0, 0, 0);
    if (binding_.content) {
        QWidget* content = binding_.content();
        // Screen readers announce the sheet by what it is: its content's title.
        sheet_->setAccessibleName(content->windowTitle());
        layout->addWidget(content);
    }
    SheetPresentation::frame(*sheet_);
    connect(sheet_, &QDialog::finished, this, &SheetBinding::closed);
    SheetPresentation::present(*sheet_);
}

// Runs once per sheet, however it was closed; the binding may reopen it.
void SheetBinding::closed() {
    QDialog* closing = sheet_;
    sheet_ = nullptr;
    closing->deleteLater();
    if (binding_.isPresented()) binding_.dismiss();
    if (binding_.onDismissal) binding_.onDismissal();
    update();
}

}  // namespace tavero
