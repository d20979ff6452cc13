#include "document/ImageOps.h"
#include "document/ShotDocument.h"

#include <benchmark/benchmark.h>

using namespace tavero;

namespace {

// The largest picture the program accepts, with a busy set of marks.
void openLargeAnnotated(ShotDocument& document, int markCount) {
    QImage picture = ImageOps::context(8000, 5000);
    picture.fill(Qt::white);
    QList<Mark> marks;
    for (int index = 0; index < markCount; ++index) {
        Mark mark;
        mark.tool = MarkTool::pen;
        for (int point = 0; point < 200; ++point) mark.points.append(QPointF(index + point, point));
        marks.append(mark);
    }
    document.open(picture, QStringLiteral("大图"), marks);
}

// One recorded step and its undo: the cost of every edit's snapshot.
void checkpointAndUndo(benchmark::State& state) {
    ShotDocument document;
    openLargeAnnotated(document, int(state.range(0)));
    for (auto _ : state) {
        document.checkpoint();
        document.undo();
    }
    state.SetLabel("8000x5000, marks: " + std::to_string(state.range(0)));
}

// Typing into a label: every keystroke after the first joins the same step.
void typeIntoLabel(benchmark::State& state) {
    ShotDocument document;
    openLargeAnnotated(document, 50);
    document.newText();
    document.placeText({100, 100});
    document.beginTextInput();
    const QString texts[] = {QStringLiteral("说明文字"), QStringLiteral("说明文字。")};
    int keystroke = 0;
    for (auto _ : state) document.changeText(texts[++keystroke % 2]);
}

}  // namespace

BENCHMARK(checkpointAndUndo)->Arg(0)->Arg(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(typeIntoLabel)->Unit(benchmark::kMicrosecond);
