#include "document/ImageOps.h"
#include "document/ObscureCache.h"
#include "tests/document/MarkFixtures.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace tavero;
using test::coverMark;

namespace {

ObscureCache::Usage sharedUsage() { return ObscureCache::shared().usage(); }

QList<Mark> threeCovers() {
    return {coverMark(QRectF(40, 40, 300, 200), ObscureSettings{ObscureStyle::frosted, 24, 0.28}),
            coverMark(QRectF(400, 300, 200, 120), ObscureSettings{ObscureStyle::soft, 40, 0}),
            coverMark(QRectF(700, 100, 160, 160), ObscureSettings{ObscureStyle::pixel, 16, 0})};
}

ObscureKey keyFor(const QImage& base, int x) { return {base.cacheKey(), QRect(x, 0, 10, 10), ObscureKind::blur, 8}; }

}  // namespace

TEST(CoverCache, AnswersARepeatedDrawOfEveryCoverOfALargeScreenshot) {
    // The base is shared by the entries and counted once, so three covers of a
    // 5K screenshot all stay cached.
    const QImage base = fixtures::screenshotLike(5120, 2880);
    const auto before = sharedUsage();
    const QImage first = ImageOps::render(base, threeCovers());
    const auto warm = sharedUsage();
    EXPECT_EQ(warm.misses - before.misses, 3);

    const QImage second = ImageOps::render(base, threeCovers());
    EXPECT_EQ(sharedUsage().misses, warm.misses) << "the second draw filtered again";
    EXPECT_EQ(sharedUsage().hits - warm.hits, 3);
    EXPECT_EQ(first, second);
    EXPECT_LE(sharedUsage().cost, ObscureCache::costLimit);
}

TEST(CoverCache, NeverAnswersForChangedOrOtherPixels) {
    QImage base = fixtures::noise(300, 200);
    const QList<Mark> cover{coverMark(QRectF(20, 20, 200, 150), ObscureSettings{ObscureStyle::pixel, 20, 0})};
    const QImage before = ImageOps::render(base, cover);

    base.fill(Qt::green);
    const QImage after = ImageOps::render(base, cover);
    EXPECT_EQ(after.pixelColor(100, 100), QColor(Qt::green)) << "a stale cover was drawn";

    const QImage other = fixtures::noise(300, 200, 9);
    EXPECT_EQ(ImageOps::render(other, cover).pixel(100, 100), ImageOps::render(other.copy(), cover).pixel(100, 100));
    EXPECT_NE(ImageOps::render(other, cover), before);
}

TEST(CoverCache, HoldsAtMostSixteenEntriesDroppingTheLeastRecentlyUsed) {
    ObscureCache cache;
    const QImage base = fixtures::noise(64, 64);
    const QImage output = fixtures::noise(10, 10);
    for (int index = 0; index < 16; ++index) cache.insert(keyFor(base, index), base, output);
    ASSERT_TRUE(cache.find(keyFor(base, 0)));  // now the most recently used
    cache.insert(keyFor(base, 16), base, output);

    EXPECT_EQ(cache.usage().count, 16);
    EXPECT_TRUE(cache.find(keyFor(base, 0)));
    EXPECT_FALSE(cache.find(keyFor(base, 1)));
    EXPECT_EQ(cache.usage().cost, 4 * (64 * 64 + 16 * 10 * 10)) << "the shared base counts once";
}

TEST(CoverCache, StaysWithinNinetySixMebibytes) {
    ObscureCache cache;
    const QImage output = fixtures::noise(100, 100);
    std::vector<QImage> bases;
    for (int index = 0; index < 3; ++index) {
        bases.push_back(QImage(3000, 3000, ImageOps::surfaceFormat));  // 36 MB each
        cache.insert(keyFor(bases.back(), 0), bases.back(), output);
    }
    EXPECT_EQ(cache.usage().count, 2);
    EXPECT_LE(cache.usage().cost, ObscureCache::costLimit);
    EXPECT_FALSE(cache.find(keyFor(bases[0], 0)));

    const QImage huge(6000, 4500, ImageOps::surfaceFormat);  // 108 MB alone
    cache.insert(keyFor(huge, 0), huge, output);
    EXPECT_EQ(cache.usage().count, 0);
    EXPECT_EQ(cache.usage().cost, 0);
}

TEST(CoverCache, StaysCorrectWhenEightThreadsDrawAtOnce) {
    // Each thread renders the shared screenshot and one of its own, so the
    // cache fills, answers and evicts under contention.
    const QImage shared = fixtures::screenshotLike(1600, 1000);
    QList<Mark> marks = threeCovers();
    Mark counter = test::makeMark(MarkTool::counter, {{100, 100}});
    counter.text = QStringLiteral("3");
    marks.append(counter);
    const QImage expected = ImageOps::render(shared.copy(), marks);

    constexpr int threadCount = 8;
    std::vector<QImage> own;
    std::vector<QImage> ownExpected;
    for (int index = 0; index < threadCount; ++index) {
        own.push_back(fixtures::noise(900, 500, quint32(index + 20)));
        ownExpected.push_back(ImageOps::render(own.back().copy(), marks));
    }

    std::vector<int> mismatches(threadCount, 0);
    std::vector<std::thread> threads;
    for (int index = 0; index < threadCount; ++index)
        threads.emplace_back([&, index] {
            for (int round = 0; round < 6; ++round) {
                if (ImageOps::render(shared, marks) != expected) ++mismatches[size_t(index)];
                if (ImageOps::render(own[size_t(index)], marks) != ownExpected[size_t(index)])
                    ++mismatches[size_t(index)];
            }
        });
    for (auto& thread : threads) thread.join();

    for (int index = 0; index < threadCount; ++index) EXPECT_EQ(mismatches[size_t(index)], 0) << "thread " << index;
    EXPECT_LE(sharedUsage().count, ObscureCache::countLimit);
    EXPECT_LE(sharedUsage().cost, ObscureCache::costLimit);
}
