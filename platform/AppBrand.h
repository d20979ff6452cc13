#pragma once

#include <QIcon>
#include <QString>

namespace tavero {

// The product's names and icon. Kept at the bottom layer because the practice
// image, the library folder and the window titles all show them.
namespace AppBrand {

inline const QString name = QStringLiteral("岚帧");
inline const QString englishName = QStringLiteral("Tavero");
inline const QString displayName = name + QLatin1Char(' ') + englishName;
inline const QString tagline = QStringLiteral("好看的截图，会运镜的录屏。");

// The "AppIcon" resource, or the application's own icon when there is none.
QIcon icon();

}  // namespace AppBrand
}  // namespace tavero
