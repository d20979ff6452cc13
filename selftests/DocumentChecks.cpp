#include "document/FrameOptions.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "library/EditableShot.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTestFixtures.h"
#include "selftests/SelfTestMarks.h"
#include "selftests/SelfTestRun.h"

#include <cstdlib>

namespace tavero::selftests {

namespace {

Mark withStyle(Mark mark, ObscureStyle style) {
    mark.obscure->style = style;
    return mark;
}

bool sameCover(const std::optional<Mark>& mark, const Mark& expected) {
    return mark && mark->obscure && mark->obscure == expected.obscure;
}

void checkFrames(SelfTestRun& run, const QImage& a) {
    const FrameOptions options{FramePreset::peach, 80, 20, GradientDirection::horizontal};
    const QImage resized = ImageOps::resized(a, 120, 250);
    run.check(resized.width() == 120 && resized.height() == 250, QStringLiteral("resize dimensions"));
    const QImage padded = ImageOps::framed(a, 20, false);
    run.check(padded.width() == 280 && padded.height() == 540, QStringLiteral("background padding dimensions"));

    const QImage framed = ImageOps::framed(a, options, 1);
    run.check(framed.width() == 400 && framed.height() == 660 && pixel(framed, 120, 120) == pixel(a, 40, 40),
              QStringLiteral("gradient frame preserves original image pixels"));
    run.check(std::abs(int(pixel(framed, 2, 330)[1]) - int(pixel(framed, 397, 330)[1])) > 20,
              QStringLiteral("gradient background changes smoothly across the frame"));
    const QImage preview = ImageOps::framePreview(a, options);
    run.check(std::max(preview.width(), preview.height()) <= 860, QStringLiteral("background preview stays bounded"));
}

void checkCovers(SelfTestRun& run, const QImage& a) {
    const Mark frosted = frostedMark();
    const QImage h = ImageOps::render(a, {frosted});
    run.check(pixel(h, 10, 100) == pixel(a, 10, 100) && pixel(h, 100, 250) == pixel(a, 100, 250),
              QStringLiteral("frosted cover leaves pixels outside the selection unchanged"));
    run.check(localContrast(h) < 0.25 * localContrast(a),
              QStringLiteral("frosted cover smooths detail instead of making pixel blocks"));

    const QImage d = ImageOps::render(a, {withStyle(frosted, ObscureStyle::soft)});
    const auto soft = pixel(d, 100, 100);
    const auto washed = pixel(h, 100, 100);
    bool translucent = true;
    for (int channel = 0; channel < 3; ++channel)
        translucent = translucent && soft[channel] < washed[channel] && washed[channel] < 255;
    run.check(translucent, QStringLiteral("frosted tint is translucent over the blur"));

    Mark corner = withStyle(frosted, ObscureStyle::soft);
    corner.points = {QPointF(0, 0), QPointF(60, 60)};
    QImage white = ImageOps::context(120, 120);
    white.fill(Qt::white);
    const auto edge = pixel(ImageOps::render(white, {corner}), 4, 25);
    run.check(edge[0] >= 253 && edge[1] >= 253 && edge[2] >= 253,
              QStringLiteral("blur at the screen edge has no dark seam"));
}

void checkStoredCovers(SelfTestRun& run, const QImage& a) {
    Mark legacy = frostedMark();
    legacy.points = {QPointF(0, 0), QPointF(40, 40)};
    legacy.obscure.reset();
    const Mark decoded = markFromJson(json::parse(json::dump(toJson(legacy))));
    run.check(!decoded.obscure.has_value(), QStringLiteral("legacy mosaic projects still decode without new settings"));

    const QList<Mark> marks{frostedMark(), withStyle(frostedMark(), ObscureStyle::soft)};
    const EditableShot project{1, ImageOps::png(a, QStringLiteral("png")), marks};
    const EditableShot reopened = decodeEditableShot(encodeEditableShot(project));
    run.check(!reopened.marks.isEmpty() && sameCover(reopened.marks.first(), marks.first()) &&
                  pixel(ImageOps::render(a, marks), 100, 100) == pixel(ImageOps::render(a, reopened.marks), 100, 100),
              QStringLiteral("project round trip preserves smooth cover appearance"));
}

std::optional<Mark> firstMark(const ShotDocument& document) {
    return document.marks().isEmpty() ? std::nullopt : std::optional<Mark>(document.marks().first());
}

void checkUndo(SelfTestRun& run, const QImage& a) {
    ShotDocument covered;
    covered.open(a, QStringLiteral("effects"));
    covered.add(frostedMark());
    covered.changeObscure({ObscureStyle::soft, 40, 0.5}, true);
    covered.undo();
    run.check(sameCover(firstMark(covered), frostedMark()), QStringLiteral("undo restores cover style and strength"));
    covered.redo();
    const auto redone = firstMark(covered);
    run.check(
        redone && redone->obscure && redone->obscure->style == ObscureStyle::soft && redone->obscure->strength == 40,
        QStringLiteral("redo restores cover adjustments"));

    ShotDocument document;
    document.open(a, QStringLiteral("test"));
    document.add(redactionMark());
    document.undo();
    run.check(document.marks().isEmpty() && document.canRedo(), QStringLiteral("undo annotation"));
    document.redo();
    run.check(document.marks().size() == 1, QStringLiteral("redo annotation"));
    document.crop(QRectF(20, 30, 110, 160));
    run.check(document.image().width() == 110 && document.marks().isEmpty(),
              QStringLiteral("crop flattens visible content"));
    document.undo();
    run.check(document.image().width() == 240 && document.marks().size() == 1,
              QStringLiteral("crop undo restores editable state"));
}

}  // namespace

void checkDocuments(SelfTestRun& run) {
    const ShotDocument fresh;
    run.check(fresh.lineWidth() == 8 && fresh.fontSize() == 64,
              QStringLiteral("new annotation documents use requested line and text sizes"));
    const QImage a = patternTop(run);
    checkFrames(run, a);
    checkCovers(run, a);
    checkStoredCovers(run, a);
    checkUndo(run, a);
}

}  // namespace tavero::selftests
