#include "platform/win32/vlan_page_window.h"

namespace talvex::win32 {

// Control ids of this page: 500 to 599, unique in the main window, which receives
// the notifications of every page.

void VlanPageWindow::Build(HWND frame, int dpi, HFONT font) {
    Create(frame, {}, dpi, font);
}

} // namespace talvex::win32
