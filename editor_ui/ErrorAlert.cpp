#include "editor_ui/ErrorAlert.h"

#include "app/model/AppModel.h"
#include "editor_ui/SheetPresentation.h"
#include "platform/AppBrand.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace tavero {

ErrorAlert::ErrorAlert(AppModel& model, QWidget* window) : QObject(window), model_(model), window_(window) {
    connect(&model, &AppModel::errorChanged, this, &ErrorAlert::showError);
    showError();
}

ErrorAlert::~ErrorAlert() {
    if (box_) {
        box_->disconnect(this);
        delete box_;
    }
}

bool ErrorAlert::mentionsAccess(const QString& error) {
    return error.contains(QStringLiteral("权限")) || error.contains(QStringLiteral("授权"));
}

// A new error replaces the one shown; a cleared error closes the alert.
void ErrorAlert::showError() {
    if (box_) {
        box_->disconnect(this);
        box_->close();
        box_->deleteLater();
    }
    if (const std::optional<QString>& error = model_.error()) open(*error);
}

void ErrorAlert::open(const QString& error) {
    box_ = new QMessageBox(window_);
    box_->setIcon(QMessageBox::Warning);
    box_->setWindowTitle(AppBrand::name);
    box_->setText(AppBrand::name);
    box_->setInformativeText(error);
    // Errors name files, and a file name may look like markup.
    for (QLabel* label : box_->findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
    box_->setWindowModality(Qt::WindowModal);
    // No pane for screen access exists here: the button closes the alert like the other.
    if (mentionsAccess(error)) box_->addButton(QStringLiteral("打开屏幕权限设置"), QMessageBox::AcceptRole);
    box_->setDefaultButton(box_->addButton(QStringLiteral("知道了"), QMessageBox::RejectRole));
    SheetPresentation::frame(*box_);
    connect(box_, &QMessageBox::finished, this, &ErrorAlert::closed);
    SheetPresentation::present(*box_);
}

void ErrorAlert::closed() {
    box_->deleteLater();
    box_ = nullptr;
    model_.setError(std::nullopt);
}

}  // namespace tavero
