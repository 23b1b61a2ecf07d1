#include "platform/win32/layout.h"

#include <cstdlib>

namespace talvex::win32 {

int WindowDpi(HWND hwnd) {
    if (const char* forced = std::getenv("TALVEX_DPI")) {
        const int dpi = std::atoi(forced);
        if (dpi >= 48 && dpi <= 960) return dpi;
    }
    const UINT dpi = hwnd ? GetDpiForWindow(hwnd) : GetDpiForSystem();
    return dpi ? static_cast<int>(dpi) : 96;
}

ScopedFont CreateMessageFont(int dpi) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return ScopedFont(); // the controls keep the system font
    }
    // The metrics are for the system DPI; the window may be laid out for another.
    const int systemDpi = static_cast<int>(GetDpiForSystem());
    if (systemDpi > 0 && systemDpi != dpi) {
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi);
    }
    return ScopedFont(CreateFontIndirectA(&metrics.lfMessageFont));
}

HWND CreateChild(HWND parent, const ChildLayout& layout, int dpi, HFONT font) {
    HWND child = CreateWindowExA(
        layout.exStyle, layout.className, layout.text, WS_CHILD | WS_VISIBLE | layout.style,
        TwipsToPixels(layout.rect.left, dpi), TwipsToPixels(layout.rect.top, dpi),
        TwipsToPixels(layout.rect.width, dpi), TwipsToPixels(layout.rect.height, dpi), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), GetModuleHandleA(nullptr),
        nullptr);
    if (child && font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

void CreateChildren(HWND parent, std::span<const ChildLayout> children, int dpi, HFONT font) {
    for (const ChildLayout& layout : children)
        CreateChild(parent, layout, dpi, font);
}

void SizeAndCentre(HWND hwnd, int clientWidthTwips, int clientHeightTwips, int dpi) {
    RECT frame{0, 0, TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;
    SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace talvex::win32
