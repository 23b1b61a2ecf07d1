#include "gui/page_frame.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>

namespace talvex::win32 {
namespace {

// A page lies on the tab strip's body: paint it as the body is painted, themed or classic.
void PaintPageBackground(HWND page, HDC dc) {
    RECT client{};
    GetClientRect(page, &client);
    HWND tabs = FindWindowExA(GetParent(page), nullptr, WC_TABCONTROLA, nullptr);
    if (HTHEME theme = tabs ? OpenThemeData(tabs, L"TAB") : nullptr) {
        // The body image spans the whole tab strip; draw the part that lies under the page.
        RECT body{};
        GetClientRect(tabs, &body);
        MapWindowPoints(tabs, page, reinterpret_cast<POINT*>(&body), 2);
        DrawThemeBackground(theme, dc, TABP_BODY, 0, &body, &client);
        CloseThemeData(theme);
        return;
    }
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

// The page's background as a brush, made for the page's size when first asked for, so that
// labels and read-only boxes show the page behind them rather than a grey box.
constexpr char kBackgroundBrush[] = "TalvexPageBrush";
constexpr char kBackgroundBitmap[] = "TalvexPageBitmap";

HBRUSH PageBackgroundBrush(HWND page) {
    if (auto brush = static_cast<HBRUSH>(GetPropA(page, kBackgroundBrush))) return brush;
    RECT client{};
    GetClientRect(page, &client);
    HDC screen = GetDC(page);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max<LONG>(client.right, 1),
                                            std::max<LONG>(client.bottom, 1));
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PaintPageBackground(page, memory);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(page, screen);
    HBRUSH brush = CreatePatternBrush(bitmap);
    SetPropA(page, kBackgroundBitmap, bitmap);
    SetPropA(page, kBackgroundBrush, brush);
    return brush;
}

void ForgetPageBackground(HWND page) {
    if (HANDLE brush = RemovePropA(page, kBackgroundBrush)) DeleteObject(brush);
    if (HANDLE bitmap = RemovePropA(page, kBackgroundBitmap)) DeleteObject(bitmap);
}

// The brush is aligned with the page, wherever the child lies on it.
LRESULT ChildBackground(HWND page, HDC dc, HWND child) {
    SetBkMode(dc, TRANSPARENT);
    POINT origin{};
    MapWindowPoints(child, page, &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    return reinterpret_cast<LRESULT>(PageBackgroundBrush(page));
}

// Page frames only hold controls; what their controls report goes to the main window.
} // namespace

LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: PaintPageBackground(hwnd, reinterpret_cast<HDC>(wParam)); return 1;
    case WM_CTLCOLORSTATIC:
        return ChildBackground(hwnd, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SIZE:
    case WM_DESTROY: ForgetPageBackground(hwnd); break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_VSCROLL:
    case WM_HSCROLL: return SendMessageA(GetParent(hwnd), message, wParam, lParam);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace talvex::win32
