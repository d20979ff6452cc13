#include "app/AboutPanel.h"

#include "editor_ui/SheetPresentation.h"
#include "platform/AppBrand.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace tavero::AboutPanel {

QString message() { return AppBrand::displayName + QLatin1Char(' ') + QCoreApplication::applicationVersion(); }

QString information() {
    return AppBrand::tagline +
           QStringLiteral("\n本地 Retina 截图、标注、文字识别、长图拼接；讲解录屏、提词器、自动缩放与外侧背景柔焦。"
                          "\n\n所有处理在本机完成，无订阅、无账号。\n快捷键：Ctrl+Shift+2 截图，Ctrl+Shift+1 打开编辑器。");
}

void open(QWidget* parent) {
    auto* panel = new QMessageBox(QMessageBox::Information, QStringLiteral("关于") + AppBrand::name, message(),
                                  QMessageBox::Ok, parent);
    panel->setIconPixmap(AppBrand::icon().pixmap(64, 64));
    panel->setInformativeText(information());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::ApplicationModal);
    SheetPresentation::frame(*panel);
    SheetPresentation::present(*panel);
}

}  // namespace tavero::AboutPanel
