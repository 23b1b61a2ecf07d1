#include "platform/win32/general_page_window.h"

namespace talvex::win32 {

// Control ids of this page: 300 to 399, unique in the main window, which receives
// the notifications of every page.

void GeneralPageWindow::Build(HWND frame, int dpi, HFONT font) {
    Create(frame, {}, dpi, font);
}

} // namespace talvex::win32
