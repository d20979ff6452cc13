// The manifest file as the library reads it: again only once it changed,
// and refused at its first bound however it was crafted.
#include "library/LibraryManifest.h"
#include "library/LibraryMessages.h"
#include "platform/ShotError.h"
#include "platform/files/AtomicFile.h"
#include "tests/support/Files.h"
#include "tests/support/Memory.h"
#include "tests/support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>

using namespace tavero;

namespace {

CaptureRecord recordOf(const char* file) {
    const QString name = QString::fromUtf8(file);
    return {QUuid::createUuid(), name, name, QDateTime::fromSecsSinceEpoch(1'700'000'000), 10, 20,
            CaptureRecord::imageKind};
}

}  // namespace

// Every change of the file, however small, is read; a record the list holds
// and the file does not yet (its write failed) stays while the file is as it
// was, which the refresh on each activation once read again.
TEST(LibraryManifest, ReadsTheFileAgainOnlyOnceItChanged) {
    const test::TempDir folder;
    LibraryManifest manifest(folder.path());
    const QByteArray path = QFile::encodeName(manifest.path());
    const std::pair<const char*, std::function<void(const QByteArray&)>> changes[] = {
        {"written", [&](const QByteArray& bytes) { test::writeFile(manifest.path(), bytes); }},
        {"replaced under its name", [&](const QByteArray& bytes) { ASSERT_TRUE(writeFileAtomically(manifest.path(), bytes)); }},
        {"rewritten in place, its size and times as they were",
         [&](const QByteArray& bytes) {
             struct stat before {};
             ASSERT_EQ(::stat(path.constData(), &before), 0);
             test::writeFile(manifest.path(), bytes);
             const timespec times[] = {before.st_atim, before.st_mtim};
             ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
         }},
    };
    for (const auto& [what, change] : changes) {
        const QList<CaptureRecord> written{recordOf("a.png")};
        change(encodeManifest(written));
        manifest.read();
        EXPECT_EQ(manifest.records(), written) << what;
        const CaptureRecord unwritten = recordOf("b.png");
        manifest.insertFirst(unwritten);
        manifest.read();
        EXPECT_EQ(manifest.records(), (QList<CaptureRecord>{unwritten, written.first()})) << what << ", then unchanged";
    }
}

// 16 MiB of "[" once took 1.3 GB, 61 MB of "0," 1.1 GB, at start and each
// time the window became active.
TEST(LibraryManifest, ACraftedFileIsRefusedAtItsFirstBoundInLittleMemory) {
    const test::TempDir folder;
    const test::RepeatedText cases[] = {
        {"16 MiB of \"[\"", {}, "[", 16 << 20, {}},
        {"61 MB of \"0,\"", "[", "0,", 30'500'000, "0]"},
        {"a name of twenty million characters", R"([{"name":")", "x", 20'000'000, "\"}]"},
    };
    for (const auto& crafted : cases) {
        test::writeFile(LibraryManifest(folder.path()).path(), crafted.text());
        const long long growth = test::peakMemoryGrowth([&] {
            try {
                LibraryManifest(folder.path()).read();
            } catch (const ShotError& error) {
                if (error.message() == library::messages::dataNotReadable()) return;
            }
            std::abort();
        });
        ASSERT_GE(growth, 0) << crafted.what << " was not refused as a manifest that cannot be decoded";
        if (test::tightMemoryBudgets) {
            EXPECT_LT(growth, 16ll << 20) << crafted.what;
        }
    }
}
