#include "app/FileOpenPanel.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

OpenPanelRequest request() {
    return {QStringLiteral("选择要拼接的图片"), QStringLiteral("拼接"), QStringLiteral("把另一张图片接在当前图片下方。"),
            {QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("vistagon")},
            {}};
}

bool showsMessage(QFileDialog& dialog, const QString& message) {
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (label->text() == message && label->isVisible()) return true;
    return false;
}

// A picture to choose, in a folder of its own, and the active window a
// panel opens over.
class FileOpenPanelOverAWindow : public testing::Test {
protected:
    void SetUp() override {
        QFile(picture).open(QIODevice::WriteOnly);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    test::TempDir folder;
    const QString picture = folder.file(QStringLiteral("图.png"));
    QWidget window;
};

TEST_F(FileOpenPanelOverAWindow, OverTheActiveWindowThePanelIsModalToItAndAnswersWithTheChosenFile) {
    FileOpenPanel panel;
    QStringList chosen;
    OpenPanelRequest startingInTheFolder = request();
    startingInTheFolder.directory = folder.path();
    panel.present(startingInTheFolder, [&](const QString& path) { chosen.append(path); });
    QPointer<QFileDialog> dialog = panel.dialog();
    ASSERT_TRUE(dialog) << "present() returns with the panel showing";
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->parentWidget(), &window);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("选择要拼接的图片"));
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("拼接"));
    EXPECT_TRUE(showsMessage(*dialog, QStringLiteral("把另一张图片接在当前图片下方。")));
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("支持的文件 (*.png *.jpg *.vistagon)")});
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->directory().absolutePath(), QDir(folder.path()).absolutePath());

    panel.present(request(), [&](const QString&) { chosen.append(QStringLiteral("second")); });
    EXPECT_EQ(panel.dialog(), dialog.data()) << "one panel at a time";

    dialog->selectFile(picture);
    QMetaObject::invokeMethod(dialog, "accept");
    EXPECT_EQ(chosen, QStringList{picture});
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); })) << "the panel goes once answered";
    EXPECT_EQ(panel.dialog(), nullptr);
}

TEST(FileOpenPanelTest, WithoutAnActiveWindowThePanelStandsAloneAndCancelChoosesNothing) {
    FileOpenPanel panel;
    int chosen = 0;
    panel.present(request(), [&](const QString&) { ++chosen; });
    QPointer<QFileDialog> dialog = panel.dialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->parentWidget(), nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::NonModal);
    dialog->reject();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));
    EXPECT_EQ(chosen, 0);

    panel.present(request(), [&](const QString&) { ++chosen; });
    EXPECT_TRUE(panel.dialog()) << "a new panel after the last one closed";
}

// A missing file's alert runs inside the panel's accept(); a screen reader
// can still pick a file and press 打开 behind it. The panel answers, and is
// deleted only after the first accept() has returned.
TEST_F(FileOpenPanelOverAWindow, APanelAnsweredBehindItsFileNotFoundAlertOutlivesItsOwnAccept) {
    FileOpenPanel panel;
    QStringList chosen;
    panel.present(request(), [&](const QString& path) { chosen.append(path); });
    QPointer<QFileDialog> dialog = panel.dialog();
    ASSERT_TRUE(dialog);
    bool firstAcceptReturned = false;
    bool deletedTooEarly = false;
    QObject::connect(dialog, &QObject::destroyed, [&] { deletedTooEarly = !firstAcceptReturned; });

    // Behind the alert: the file picked and 打开 pressed; the alert stays
    // open a while, then is answered.
    QTimer behindTheAlert;
    QObject::connect(&behindTheAlert, &QTimer::timeout, [&] {
        auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!alert) return;
        behindTheAlert.stop();
        dialog->selectFile(picture);
        QMetaObject::invokeMethod(dialog, "accept");
        QTimer::singleShot(200, alert, &QMessageBox::accept);
    });
    behindTheAlert.start(10);
    dialog->selectFile(folder.file(QStringLiteral("不存在.png")));
    QMetaObject::invokeMethod(dialog, "accept");
    firstAcceptReturned = true;

    EXPECT_EQ(chosen, QStringList{picture});
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); })) << "the panel goes once answered";
    EXPECT_FALSE(deletedTooEarly) << "deleted while its first accept() ran";
}

}  // namespace
