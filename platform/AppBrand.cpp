#include "platform/AppBrand.h"

#include <QFile>
#include <QGuiApplication>

namespace tavero::AppBrand {

QIcon icon() {
    const QString resource = QStringLiteral(":/AppIcon.png");
    if (QFile::exists(resource)) return QIcon(resource);
    return QGuiApplication::windowIcon();
}

}  // namespace tavero::AppBrand
