#pragma once

#include <QIcon>

namespace tavero {

// The program's own icon, drawn in code: a green tile with the white corners
// of a viewfinder around a recording dot. The program installs it as the
// application icon, which the brand's icon falls back to.
QIcon appIconArt();

}  // namespace tavero
