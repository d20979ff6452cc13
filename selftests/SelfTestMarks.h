#pragma once

#include "document/Mark.h"

#include <QImage>

// The marks and pictures that several check groups share.
namespace tavero::selftests {

class SelfTestRun;

// The 240 × 500 top of the pattern that the rendering, document, text and
// library checks work on.
QImage patternTop(SelfTestRun& run);

// An opaque box over (30, 40)–(100, 120).
Mark redactionMark();

// A frosted cover over (30, 30)–(200, 200): strength 24, wash 0.28.
Mark frostedMark();

}  // namespace tavero::selftests
