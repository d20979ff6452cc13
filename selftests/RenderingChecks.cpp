#include "document/ImageOps.h"
#include "document/Mark.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTestFixtures.h"
#include "selftests/SelfTestMarks.h"
#include "selftests/SelfTestRun.h"

namespace tavero::selftests {

namespace {

bool isDark(const std::array<std::uint8_t, 4>& pixel) { return pixel[0] < 30 && pixel[1] < 30 && pixel[2] < 30; }

}  // namespace

void checkRendering(SelfTestRun& run) {
    const QImage a = patternTop(run);

    const QImage rendered = ImageOps::render(a, {});
    run.check(pixel(rendered, 40, 40) == pixel(a, 40, 40) && pixel(rendered, 40, 450) == pixel(a, 40, 450),
              QStringLiteral("render keeps orientation and colors"));

    const QImage redacted = ImageOps::render(a, {redactionMark()});
    run.check(isDark(pixel(redacted, 60, 70)), QStringLiteral("redaction is opaque in exported pixels"));
    run.check(pixel(redacted, 60, 200) == pixel(a, 60, 200), QStringLiteral("redaction stays inside selected region"));

    const QString saved =
        run.writeWorkFile(QStringLiteral("redaction.png"), ImageOps::png(redacted, QStringLiteral("png")));
    const QImage loaded = ImageOps::load(saved);
    run.check(loaded.width() == 240 && loaded.height() == 500 && isDark(pixel(loaded, 60, 70)),
              QStringLiteral("PNG export survives reload"));

    const QImage turned = ImageOps::transformed(a, true, false);
    run.check(turned.width() == a.height() && turned.height() == a.width(), QStringLiteral("rotation swaps dimensions"));
    run.check(pixel(turned, a.height() - 1 - 25, 40) == pixel(a, 40, 25), QStringLiteral("rotation is clockwise"));

    const QImage flipped = ImageOps::transformed(a, false, true);
    run.check(pixel(flipped, a.width() - 1 - 40, 25) == pixel(a, 40, 25), QStringLiteral("horizontal flip geometry"));
}

}  // namespace tavero::selftests
