// "Show in the file manager" on a private session bus: the file manager is
// asked to select the file, and without one the file's folder opens.
#include "platform/files/FileManager.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/TempDir.h"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

const QString service = QStringLiteral("org.freedesktop.FileManager1");
const QString objectPath = QStringLiteral("/org/freedesktop/FileManager1");

// Stands in for the desktop's file manager on the bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown.append(uris); }

public:
    QStringList shown;
};

// Receives what would have gone to the desktop's default handler of files.
class OpenedFolders : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { opened.append(url); }

public:
    QList<QUrl> opened;
};

class FileManagerTest : public ::testing::Test {
protected:
    // A bus of our own, set before the program's first use of the session bus.
    static void SetUpTestSuite() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) return;
        daemon = new QProcess;
        daemon->start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                      QStringLiteral("--print-address=1")});
        daemon->setReadChannel(QProcess::StandardOutput);
        if (!daemon->waitForReadyRead(5000)) return;
        address = QString::fromUtf8(daemon->readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    }
    static void TearDownTestSuite() {
        if (!daemon) return;
        daemon->kill();
        daemon->waitForFinished();
        delete daemon;
        daemon = nullptr;
    }

    void SetUp() override {
        if (address.isEmpty()) TAVERO_SKIP_UNLESS_REQUIRED("no dbus-daemon to run a private session bus");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &folders, "open");
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    static inline QProcess* daemon = nullptr;
    static inline QString address;
    test::TempDir folder;
    OpenedFolders folders;
};

TEST_F(FileManagerTest, TheFileManagerIsAskedToSelectTheFile) {
    QDBusConnection desktop = QDBusConnection::connectToBus(address, QStringLiteral("desktop"));
    FakeFileManager manager;
    ASSERT_TRUE(desktop.registerObject(objectPath, &manager, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(desktop.registerService(service));

    const QString file = folder.file(QStringLiteral("截图 1.png"));
    showInFileManager(file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !manager.shown.isEmpty(); }, 5000));
    EXPECT_EQ(manager.shown, QStringList{QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)});
    QTest::qWait(50);
    EXPECT_TRUE(folders.opened.isEmpty());

    desktop.unregisterService(service);
    desktop.unregisterObject(objectPath);
    QDBusConnection::disconnectFromBus(QStringLiteral("desktop"));
}

TEST_F(FileManagerTest, WithoutAFileManagerTheFolderOpens) {
    const QString file = folder.file(QStringLiteral("录屏.mp4"));
    showInFileManager(file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !folders.opened.isEmpty(); }, 8000));
    EXPECT_EQ(folders.opened, QList<QUrl>{QUrl::fromLocalFile(folder.path())});
}

}  // namespace

#include "FileManagerTest.moc"
