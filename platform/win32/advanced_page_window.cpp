#include "platform/win32/advanced_page_window.h"

namespace talvex::win32 {

// Control ids of this page: 400 to 499, unique in the main window, which receives
// the notifications of every page.

void AdvancedPageWindow::Build(HWND frame, int dpi, HFONT font) {
    Create(frame, {}, dpi, font);
}

} // namespace talvex::win32
