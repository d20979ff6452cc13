#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tavero::selftests {

// The "--camera-pipeline-test" suite: camera framing, portrait recording,
// pause and resume, audio mixing.
namespace CameraSelfTests {

// Answers once, on the main thread: no failure when every check passed, or
// the first failing check's error. It runs on the main thread's event loop
// and does not end the process.
using Finished = std::function<void(std::optional<QString> failure)>;

void run(Finished finished);

}  // namespace CameraSelfTests
}  // namespace tavero::selftests
