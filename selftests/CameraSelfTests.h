#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tavero::selftests {

// The "--camera-pipeline-test" suite: a camera-only take of synthetic
// frames and microphone sound, paused, resumed, stopped and joined; the
// portrait shapes; the mix of two sound tracks; then the camera framing
// checks with a real encode per framing. Every file it writes stays in the
// working folder (the last command-line argument).
namespace CameraSelfTests {

// Answers once, on the main thread: no failure when every check passed, or
// the first failing check's error. It runs on the main thread's event loop
// and does not end the process.
using Finished = std::function<void(std::optional<QString> failure)>;

void run(Finished finished);

// The framing half, with the working folder; throws ShotError "FAIL: " and
// the check's name for a failed check.
void framingTests(const QString& root);

}  // namespace CameraSelfTests
}  // namespace tavero::selftests
