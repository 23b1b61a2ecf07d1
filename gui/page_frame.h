// The frame every page lies in: it paints the tab strip's body behind the page's controls and
// passes what they report on to the main window.
#pragma once

#include "platform/win32/win32.h"

namespace talvex::win32 {

LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace talvex::win32
