#include "platform/win32/support_page_window.h"

namespace talvex::win32 {

// Control ids of this page: 600 to 699, unique in the main window, which receives
// the notifications of every page.

void SupportPageWindow::Build(HWND frame, int dpi, HFONT font) {
    Create(frame, {}, dpi, font);
}

} // namespace talvex::win32
