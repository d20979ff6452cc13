#pragma once

namespace tavero {

// Qt's accessible application lists every top-level window but its popups,
// so a screen reader walking the program's windows never finds an open
// popover, menu or list: "重新生成成片" in the "画面效果" popover could be
// neither found nor pressed. From this call on, the application also lists
// each shown popup whose accessible parent it is, after Qt's own windows.
// A submenu stays under its menu. Call before anything asks for the
// application's accessible interface: the program calls it before it makes
// its QApplication.
void listPopupsForScreenReaders();

}  // namespace tavero
