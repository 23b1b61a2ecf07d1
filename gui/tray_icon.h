// The program's icon in the notification area; removed when its owner goes away.
#pragma once

#include "platform/win32/win32.h"

namespace talvex::win32 {

class TrayIcon {
  public:
    TrayIcon() = default;
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon; call again after Explorer restarts (TaskbarCreated) to add it anew.
    void Add(HWND owner, UINT callbackMessage, HICON icon, const char* tip);
    void Remove();

  private:
    HWND owner_ = nullptr;
    bool added_ = false;
};

} // namespace talvex::win32
