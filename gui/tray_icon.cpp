#include "gui/tray_icon.h"

#include <cstring>

namespace talvex::win32 {
namespace {

constexpr UINT kTrayIconId = 1;

} // namespace

void TrayIcon::Add(HWND owner, UINT callbackMessage, HICON icon, const char* tip) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage;
    data.hIcon = icon;
    std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
    owner_ = owner;
    added_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

void TrayIcon::Remove() {
    if (!added_) return;
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    Shell_NotifyIconA(NIM_DELETE, &data);
    added_ = false;
}

} // namespace talvex::win32
