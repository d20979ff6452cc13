#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// The one place where the symbols the design names ("scroll", …) are drawn,
// as vector paths in our own hand, so they are sharp at every size and
// scale and no button is ever left empty. Main thread.
namespace tavero::SymbolIcons {

// The symbol called `name` in `color`. A name not drawn here yet gives a
// plain circle and a warning in the log.
QIcon icon(const QString& name, const QColor& color);

}  // namespace tavero::SymbolIcons
