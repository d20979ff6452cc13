#include "document/ImageOps.h"
#include "library/LocalLibrary.h"
#include "tests/library/LibraryCalls.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>

using namespace tavero;

namespace {

// What one answer saw, in the order the answers arrived.
struct Answer {
    int call;
    bool ok;
    qsizetype listed;  // records a load answered; -1 for other operations
};

}  // namespace

// Rounds of persist, addVideo, load and trash, all queued before any answer:
// the queue runs them in call order, so every load sees exactly the work
// queued before it, and the answers arrive in call order on the main thread.
TEST(LocalLibraryOrder, HundredMixedOperationsKeepTheirOrder) {
    test::TempHome home;
    LocalLibrary library;
    QDir().mkpath(library.root());
    const QImage tiny = ImageOps::context(4, 4);

    // Held by the callbacks too, so answers later than the wait write nowhere the test held.
    const auto answers = std::make_shared<std::vector<Answer>>();
    const auto note = [answers](int call, bool ok, qsizetype listed = -1) { answers->push_back({call, ok, listed}); };
    for (int call = 0, round = 0; call < 100; ++round) {
        const QString video = QStringLiteral("video_%1.mp4").arg(round);
        QFile file(library.root() + QLatin1Char('/') + video);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        const CaptureRecord videoToTrash{QUuid::createUuid(), video, video, QDateTime::currentDateTime(), 0, 0,
                                         CaptureRecord::videoKind};

        library.persist(tiny, [note, call](Result<CaptureRecord> r) { note(call, r.ok()); });
        library.addVideo(file.fileName(), [note, call = call + 1](Result<CaptureRecord> r) { note(call, r.ok()); });
        library.load([note, call = call + 2](QList<CaptureRecord> records, std::optional<ShotError> error) {
            note(call, !error, records.size());
        });
        library.trash(videoToTrash, [note, call = call + 3](std::optional<ShotError> error) { note(call, !error); });
        call += 4;
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers->size() == 100; }, test::answerPatienceMs));

    for (int call = 0; call < 100; ++call) {
        const Answer& answer = (*answers)[size_t(call)];
        EXPECT_EQ(answer.call, call);
        EXPECT_TRUE(answer.ok) << "call " << call;
        // Round k's load sees k + 1 captures and that round's video, not yet trashed.
        if (call % 4 == 2) {
            EXPECT_EQ(answer.listed, call / 4 + 2) << "call " << call;
        }
    }
    const test::Loaded final = test::load(library);
    EXPECT_EQ(final.records.size(), 25);
    for (const CaptureRecord& record : final.records) EXPECT_EQ(record.kind, CaptureRecord::imageKind);
}
