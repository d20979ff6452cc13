#include "platform/Fonts.h"

#include <QFontDatabase>

#include <algorithm>
#include <mutex>

namespace tavero::Fonts {

void load() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* file : {"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
                                 "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc"})
            QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    });
}

QFont system(double pixelSize, FontWeight weight, int logicalDpi) {
    load();
    QFont font(QString::fromLatin1(family));
    // Qt sizes fonts in points; convert so the glyphs are `pixelSize` device pixels high.
    font.setPointSizeF(std::max(pixelSize, 0.5) * 72.0 / (logicalDpi > 0 ? logicalDpi : 96));
    const bool heavy = weight == FontWeight::semibold || weight == FontWeight::bold;
    font.setWeight(heavy ? QFont::Bold : QFont::Normal);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

}  // namespace tavero::Fonts
