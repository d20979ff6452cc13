#include "selftests/SelfTestMarks.h"

#include "selftests/SelfTestRun.h"

namespace tavero::selftests {

QImage patternTop(SelfTestRun& run) { return run.pattern().copy(0, 0, 240, 500); }

Mark redactionMark() {
    Mark mark;
    mark.tool = MarkTool::redact;
    mark.points = {QPointF(30, 40), QPointF(100, 120)};
    mark.ink = Ink::teal;
    mark.width = 5;
    return mark;
}

Mark frostedMark() {
    Mark mark;
    mark.tool = MarkTool::pixelate;
    mark.points = {QPointF(30, 30), QPointF(200, 200)};
    mark.ink = Ink::teal;
    mark.width = 5;
    mark.obscure = ObscureSettings{ObscureStyle::frosted, 24, 0.28};
    return mark;
}

}  // namespace tavero::selftests
