#pragma once

#include "capture/ApplicationWindows.h"
#include "capture/CaptureCoordinator.h"
#include "capture/SelectionPresenter.h"
#include "platform/threads/MainThread.h"
#include "tests/support/TempDir.h"

#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace tavero::test {

// Makes `call` with a completion that keeps its answer, and waits up to 5 s
// for that answer.
template <typename Answer, typename Call>
std::optional<Answer> answerOf(Call call) {
    std::optional<Answer> answer;
    call([&](Answer result) { answer = std::move(result); });
    (void)QTest::qWaitFor([&] { return answer.has_value(); }, 5000);
    return answer;
}

template <typename Value>
QString errorText(const Result<Value>& result) {
    return result.ok() ? QString() : result.error().message();
}

// Stands in for the overlay: remembers what it was asked to show and answers
// when the test says so.
class ScriptedOverlay final : public SelectionPresenter {
public:
    std::unique_ptr<QObject> open(const SelectionRequest& request, SelectionFinish finish) override {
        requests.append(request);
        finish_ = std::move(finish);
        return std::make_unique<QObject>();
    }

    bool isOpen() const { return bool(finish_); }
    bool waitUntilOpen() {
        return QTest::qWaitFor([&] { return isOpen(); }, 5000);
    }

    void answer(std::optional<QRectF> selection) {
        SelectionFinish finish = std::move(finish_);
        finish_ = nullptr;
        finish(selection);
    }

    QList<SelectionRequest> requests;

private:
    SelectionFinish finish_;
};

class CountingWindows final : public ApplicationWindows {
public:
    QList<quint32> shownWindows() const override { return onScreen; }
    void hideAll() override {
        ++hidden;
        onScreen.clear();
    }
    void showAll() override { ++shown; }
    int hidden = 0;
    int shown = 0;
    // Ids of the windows that hideAll() hides.
    QList<quint32> onScreen;
};

// A coordinator over `screen` with the scripted overlay, its own user
// defaults, and short deadlines.
class CaptureHarness {
public:
    explicit CaptureHarness(std::shared_ptr<ScreenSource> screen, CaptureTiming timing = quickTiming()) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QSettings().clear();
        coordinator = std::make_unique<CaptureCoordinator>(std::move(screen), timing);
        coordinator->setSelectionPresenter(&overlay);
        coordinator->setApplicationWindows(&windows);
    }

    static CaptureTiming quickTiming() {
        using std::chrono::milliseconds;
        return {milliseconds(1), milliseconds(5000), milliseconds(5000)};
    }

    // Starts a capture; its answers are collected in `answers`.
    void start(CaptureMode mode, bool scrolling = false) {
        coordinator->capture(mode, scrolling, [this](Result<QImage> result) {
            EXPECT_TRUE(isMainThread());
            answers.push_back(result);
        });
    }

    bool waitForAnswer(int count = 1) {
        return QTest::qWaitFor([&] { return answers.size() >= size_t(count); }, 5000);
    }

    // Runs a capture to its end, answering the overlay with `selection` if it opens.
    Result<QImage> run(CaptureMode mode, std::optional<QRectF> selection = std::nullopt, bool scrolling = false) {
        const size_t before = answers.size();
        start(mode, scrolling);
        (void)QTest::qWaitFor([&] { return answers.size() > before || overlay.isOpen(); }, 5000);
        if (answers.size() == before && overlay.isOpen()) overlay.answer(selection);
        if (!waitForAnswer(int(before) + 1)) return ShotError(QStringLiteral("没有回答"));
        return answers[before];
    }

    TempDir settingsFolder;
    ScriptedOverlay overlay;
    CountingWindows windows;
    std::unique_ptr<CaptureCoordinator> coordinator;
    std::vector<Result<QImage>> answers;
};

}  // namespace tavero::test
