#include "platform/win32/layout.h"

#include "platform/win32/picture.h"

#include <cstdlib>

namespace talvex::win32 {
namespace {

// The per-window DPI functions came with Windows 10 (1607); looked up at run time so that the
// program still loads on systems without them.
struct DpiFunctions {
    UINT(WINAPI* forWindow)(HWND) = nullptr;
    UINT(WINAPI* forSystem)() = nullptr;
    BOOL(WINAPI* adjustWindowRect)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;

    DpiFunctions() {
        if (HMODULE user32 = GetModuleHandleA("user32.dll")) {
            Load(user32, "GetDpiForWindow", forWindow);
            Load(user32, "GetDpiForSystem", forSystem);
            Load(user32, "AdjustWindowRectExForDpi", adjustWindowRect);
        }
    }
    template <typename F> static void Load(HMODULE module, const char* name, F& function) {
        function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

const DpiFunctions& Dpi() {
    static const DpiFunctions functions;
    return functions;
}

// Before the per-window functions the whole system had one DPI: the screen's.
int SystemDpi() {
    if (Dpi().forSystem)
        if (const UINT dpi = Dpi().forSystem()) return static_cast<int>(dpi);
    if (HDC screen = GetDC(nullptr)) {
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        if (dpi > 0) return dpi;
    }
    return kDefaultDpi;
}

// The frame is drawn at the window's own DPI, which a forced layout DPI need not be.
RECT FrameForClient(HWND hwnd, int clientWidth, int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
    const UINT frameDpi = Dpi().forWindow ? Dpi().forWindow(hwnd) : 0;
    if (!frameDpi || !Dpi().adjustWindowRect ||
        !Dpi().adjustWindowRect(&frame, style, FALSE, exStyle, frameDpi))
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return frame;
}

// Places the window and then corrects its size by whatever the client area still misses
// (a caption that wraps, a frame metric the estimate got wrong).
void PlaceWithClient(HWND hwnd, int x, int y, int clientWidthTwips, int clientHeightTwips,
                     int dpi) {
    const int width = TwipsToPixels(clientWidthTwips, dpi);
    const int height = TwipsToPixels(clientHeightTwips, dpi);
    const RECT frame = FrameForClient(hwnd, width, height);
    int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    SetWindowPos(hwnd, nullptr, x, y, frameWidth, frameHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(hwnd, &client);
    if (client.right == width && client.bottom == height) return;
    frameWidth += width - client.right;
    frameHeight += height - client.bottom;
    SetWindowPos(hwnd, nullptr, 0, 0, frameWidth, frameHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

int WindowDpi(HWND hwnd) {
    if (const char* forced = std::getenv("TALVEX_DPI")) {
        const int dpi = std::atoi(forced);
        if (dpi >= 48 && dpi <= 960) return dpi;
    }
    if (hwnd && Dpi().forWindow)
        if (const UINT dpi = Dpi().forWindow(hwnd)) return static_cast<int>(dpi);
    return SystemDpi();
}

ScopedFont CreateMessageFont(int dpi) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return {}; // the controls keep the system font
    }
    // The metrics are for the system DPI; the window may be laid out for another.
    const int systemDpi = SystemDpi();
    if (systemDpi != dpi) {
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi);
    }
    return ScopedFont(CreateFontIndirectA(&metrics.lfMessageFont));
}

HWND CreateChild(HWND parent, const ChildLayout& layout, int dpi, HFONT font) {
    RegisterPictureClass();
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

void RelayoutChildren(HWND parent, std::span<const ChildLayout> children, int dpi, HFONT font) {
    for (const ChildLayout& layout : children) {
        HWND child = GetDlgItem(parent, layout.id);
        if (!child) continue;
        SetWindowPos(child, nullptr, TwipsToPixels(layout.rect.left, dpi),
                     TwipsToPixels(layout.rect.top, dpi), TwipsToPixels(layout.rect.width, dpi),
                     TwipsToPixels(layout.rect.height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        if (font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void SizeAndCentre(HWND hwnd, int clientWidthTwips, int clientHeightTwips, int dpi) {
    const RECT frame = FrameForClient(hwnd, TwipsToPixels(clientWidthTwips, dpi),
                                      TwipsToPixels(clientHeightTwips, dpi));
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - (frame.right - frame.left)) / 2;
    const int y = work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2;
    PlaceWithClient(hwnd, x, y, clientWidthTwips, clientHeightTwips, dpi);
}

void SizeForDpi(HWND hwnd, int clientWidthTwips, int clientHeightTwips, int dpi,
                const RECT& suggested) {
    PlaceWithClient(hwnd, suggested.left, suggested.top, clientWidthTwips, clientHeightTwips, dpi);
}

} // namespace talvex::win32
