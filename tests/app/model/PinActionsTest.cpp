#include "app/model/AppModel.h"
#include "app/model/ModelMessages.h"
#include "app/model/PinPresenter.h"
#include "app/model/RenderMessages.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "tests/app/model/ModelHarness.h"

#include <gtest/gtest.h>

using namespace tavero;
using test::ModelHarness;

namespace {

// Remembers the pictures it was asked to pin; the test closes windows by
// their number and sees which ones the model let go.
class FakePins final : public PinPresenter {
public:
    struct Window final : PinnedWindow {
        Window(FakePins& owner, int number) : owner(owner), number(number) {}
        ~Window() override { owner.released.push_back(number); }
        bool isVisible() const override { return !owner.closed.contains(number); }
        FakePins& owner;
        int number;
    };

    std::unique_ptr<PinnedWindow> open(const QImage& picture, std::function<void()> closed) override {
        pictures.append(picture);
        closers.append(std::move(closed));
        return std::make_unique<Window>(*this, int(pictures.size()));
    }

    // The user closes window `number`.
    void close(int number) {
        closed.insert(number);
        closers[number - 1]();
    }

    QList<QImage> pictures;
    QList<std::function<void()>> closers;
    QSet<int> closed;
    std::vector<int> released;
};

std::vector<int> numbers(const AppModel& model) {
    std::vector<int> result;
    for (const auto& window : model.pins()) result.push_back(static_cast<const FakePins::Window&>(*window).number);
    return result;
}

bool pinAndWait(ModelHarness& harness, qsizetype opened, const FakePins& pins) {
    harness.model().pin();
    return QTest::qWaitFor([&] { return pins.pictures.size() == opened; }, 20'000);
}

TEST(PinActionsTest, APinShowsTheRenderedPictureAndTheModelLetsGoOfClosedWindowsAtTheNextPin) {
    // Made first so that it outlives the model's windows.
    FakePins pins;
    ModelHarness harness;
    AppModel& model = harness.model();
    model.setPinPresenter(&pins);
    Mark mark;
    mark.tool = MarkTool::ellipse;
    mark.points = {QPointF(10, 10), QPointF(90, 60)};
    model.document().open(fixtures::noise(160, 100, 4), QStringLiteral("测试"), {mark});

    ASSERT_TRUE(pinAndWait(harness, 1, pins));
    EXPECT_EQ(pins.pictures[0], ImageOps::render(model.document().image(), {mark}));
    EXPECT_EQ(model.status(), RenderMessages::pinned());
    EXPECT_FALSE(model.busy());
    ASSERT_TRUE(pinAndWait(harness, 2, pins));
    ASSERT_TRUE(pinAndWait(harness, 3, pins));
    EXPECT_EQ(numbers(model), (std::vector<int>{1, 2, 3}));

    pins.closed = {1, 3};
    EXPECT_EQ(model.pins().size(), 3u) << "closing alone releases nothing";
    ASSERT_TRUE(pinAndWait(harness, 4, pins));
    EXPECT_EQ(numbers(model), (std::vector<int>{2, 4}));
    EXPECT_EQ(pins.released, (std::vector<int>{1, 3}));
}

// The note on how to close a pin gives way once the last one is closed,
// unless something else has been said since.
TEST(PinActionsTest, TheNoteOnClosingPinsLeavesTheStatusWithTheLastPin) {
    FakePins pins;
    ModelHarness harness;
    AppModel& model = harness.model();
    model.setPinPresenter(&pins);
    model.document().open(fixtures::noise(160, 100, 5), QStringLiteral("测试"), {});
    ASSERT_TRUE(pinAndWait(harness, 1, pins));
    ASSERT_TRUE(pinAndWait(harness, 2, pins));
    pins.close(1);
    EXPECT_EQ(model.status(), RenderMessages::pinned()) << "one is still pinned";
    pins.close(2);
    EXPECT_EQ(model.status(), ModelMessages::ready());

    ASSERT_TRUE(pinAndWait(harness, 3, pins));
    model.setStatus(RenderMessages::copied());
    pins.close(3);
    EXPECT_EQ(model.status(), RenderMessages::copied());
}

}  // namespace
