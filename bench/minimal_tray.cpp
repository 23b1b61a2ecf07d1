// The reference for the start-up benchmark: the least a Win32 tray program does (one hidden
// window, one notification icon, a message loop), built with the same compiler and flags.
#include <windows.h>
// After <windows.h>:
#include <shellapi.h>

namespace {

constexpr UINT kCallback = WM_APP + 1;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        NOTIFYICONDATAA data{};
        data.cbSize = sizeof data;
        data.hWnd = hwnd;
        data.uID = 1;
        Shell_NotifyIconA(NIM_DELETE, &data);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "MinimalTray";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA("MinimalTray", "Minimal tray", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallback;
    data.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpynA(data.szTip, "Minimal tray", sizeof data.szTip);
    Shell_NotifyIconA(NIM_ADD, &data);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
