#include "app/MainMenu.h"

#include "app/FocusedTextField.h"
#include "platform/AppBrand.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace tavero {

namespace {

using Edit = FocusedTextField::Edit;

struct Item {
    const char* title;
    const char* keys;
    ShellCommand command;
};

void addItems(QMenu& menu, std::initializer_list<Item> items, const MainMenuTargets& targets) {
    for (const Item& item : items) {
        const ShellCommand command = item.command;
        QAction* action = menu.addAction(QString::fromUtf8(item.title), [perform = targets.perform, command] {
            perform(command);
        });
        if (item.keys) action->setShortcut(QKeySequence(QString::fromLatin1(item.keys)));
    }
}

void buildApplicationMenu(QMenu& menu, const MainMenuTargets& targets) {
    const QString name = AppBrand::name;
    menu.addAction(QStringLiteral("关于") + name, [perform = targets.perform] { perform(ShellCommand::about); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("隐藏") + name, QKeySequence(QStringLiteral("Ctrl+H")), targets.hide);
    menu.addAction(QStringLiteral("退出") + name, QKeySequence(QStringLiteral("Ctrl+Q")),
                   [perform = targets.perform] { perform(ShellCommand::quit); });
}

void buildFileMenu(QMenu& menu, QMainWindow& window, const MainMenuTargets& targets) {
    addItems(menu,
             {{"区域截图", "Ctrl+Shift+2", ShellCommand::area},
              {"全屏截图", "Ctrl+Shift+6", ShellCommand::full},
              {"窗口截图", nullptr, ShellCommand::windowShot},
              {"滚动长截图", nullptr, ShellCommand::scroll},
              {"接续长截图", "Ctrl+Shift+9", ShellCommand::addScroll},
              {"完成长截图", nullptr, ShellCommand::finishScroll}},
             targets);
    menu.addSeparator();
    addItems(menu,
             {{"打开图片或视频…", "Ctrl+O", ShellCommand::openFile},
              {"返回首页", nullptr, ShellCommand::home},
              {"录屏设置 / 停止录屏", "Ctrl+Shift+8", ShellCommand::record},
              {"暂停 / 继续录屏", "Ctrl+Shift+P", ShellCommand::pauseRecording},
              {"打开编辑器", "Ctrl+Shift+1", ShellCommand::openEditor}},
             targets);
    menu.addSeparator();
    addItems(menu, {{"保存 PNG 副本", "Ctrl+S", ShellCommand::save}, {"保存可编辑工程", nullptr, ShellCommand::saveProject}},
             targets);
    menu.addAction(QStringLiteral("关闭窗口"), QKeySequence(QStringLiteral("Ctrl+W")), &window, &QWidget::close);
}

// Cut and select all belong to the focused text field alone.
QAction* addFieldItem(QMenu& menu, const char* title, const char* keys, Edit edit) {
    QAction* action = menu.addAction(QString::fromUtf8(title), QKeySequence(QString::fromLatin1(keys)),
                                     [edit] { FocusedTextField::perform(edit); });
    action->setEnabled(FocusedTextField::canPerform(edit));
    return action;
}

void buildEditMenu(QMenu& menu, const MainMenuTargets& targets) {
    addItems(menu, {{"撤销", "Ctrl+Z", ShellCommand::undo}, {"重做", "Ctrl+Shift+Z", ShellCommand::redo}}, targets);
    menu.addSeparator();
    QAction* cut = addFieldItem(menu, "剪切", "Ctrl+X", Edit::cut);
    addItems(menu, {{"复制", "Ctrl+C", ShellCommand::copyImage}, {"粘贴", "Ctrl+V", ShellCommand::paste}}, targets);
    QAction* selectAll = addFieldItem(menu, "全选", "Ctrl+A", Edit::selectAll);
    const auto validate = [cut, selectAll] {
        cut->setEnabled(FocusedTextField::canPerform(Edit::cut));
        selectAll->setEnabled(FocusedTextField::canPerform(Edit::selectAll));
    };
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, validate);
    QObject::connect(qApp, &QApplication::focusChanged, &menu, validate);
}

}  // namespace

void buildMainMenu(QMainWindow& window, const MainMenuTargets& targets) {
    QMenuBar* bar = window.menuBar();
    bar->clear();
    buildApplicationMenu(*bar->addMenu(AppBrand::name), targets);
    buildFileMenu(*bar->addMenu(QStringLiteral("文件")), window, targets);
    buildEditMenu(*bar->addMenu(QStringLiteral("编辑")), targets);
}

}  // namespace tavero
