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

// Writes `bytes` over the file in place and sets its times back, as a
// careless tool might: only its change time tells.
void overwriteKeepingTimes(const QString& path, const QByteArray& bytes) {
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    const timespec times[] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

class LibraryManifestTest : public testing::Test {
protected:
    test::TempDir folder;
    LibraryManifest manifest{folder.path()};
};

}  // namespace

// A record the list holds and the file does not yet (its write failed)
// stays while the file is as it was: a refresh does not read it again. A
// change made by anything else, however small, is read.
TEST_F(LibraryManifestTest, ReadsTheFileAgainOnlyOnceItChanged) {
    const CaptureRecord first = recordOf("a.png");
    const CaptureRecord unwritten = recordOf("b.png");
    test::writeFile(manifest.path(), encodeManifest({first}));
    manifest.read();
    ASSERT_EQ(manifest.records(), QList<CaptureRecord>{first});
    manifest.insertFirst(unwritten);
    manifest.read();
    EXPECT_EQ(manifest.records(), (QList<CaptureRecord>{unwritten, first})) << "an unchanged file is not read again";

    const std::pair<const char*, std::function<void(const QByteArray&)>> changes[] = {
        {"replaced under its name",
         [&](const QByteArray& bytes) { ASSERT_TRUE(writeFileAtomically(manifest.path(), bytes)); }},
        {"rewritten in place, its size and times as they were",
         [&](const QByteArray& bytes) { overwriteKeepingTimes(manifest.path(), bytes); }},
    };
    for (const auto& [what, change] : changes) {
        const QList<CaptureRecord> changed{recordOf("c.png")};
        manifest.insertFirst(unwritten);
        change(encodeManifest(changed));
        manifest.read();
        EXPECT_EQ(manifest.records(), changed) << what;
    }
}

// 16 MiB of "[" once took 1.3 GB, 61 MB of "0," 1.1 GB, each time the
// window became active.
TEST_F(LibraryManifestTest, ACraftedFileIsRefusedAtItsFirstBoundInLittleMemory) {
    QByteArray record = encodeManifest({recordOf("a.png")});
    record.chop(2);  // the "}]" that closes the record and the manifest
    const test::RepeatedText cases[] = {
        {"16 MiB of \"[\"", {}, "[", 16 << 20, {}},
        {"61 MB of \"0,\"", "[", "0,", 30'500'000, "0]"},
        {"a million arrays deep under a later key", record + R"(,"later":)", "[", 1'000'000, "]"},
        {"ten million values in a record", record + R"(,"later":[)", "0,", 10'000'000, "0]}]"},
        {"a name of twenty million characters", R"([{"name":")", "x", 20'000'000, "\"}]"},
    };
    for (const auto& crafted : cases) {
        test::writeFile(manifest.path(), crafted.text());
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
