#include "platform/win32/diag_page_window.h"

namespace talvex::win32 {

// Control ids of this page: 700 to 799, unique in the main window, which receives
// the notifications of every page.

void DiagPageWindow::Build(HWND frame, int dpi, HFONT font) {
    Create(frame, {}, dpi, font);
}

} // namespace talvex::win32
