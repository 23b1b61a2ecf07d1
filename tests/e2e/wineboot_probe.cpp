// Stands in for Wine's wineboot.exe in the restart test's throw-away prefix: ExitWindowsEx starts
// "<system folder>\wineboot.exe --end-session ..." under Wine. The probe records its command line
// in HKCU\Software\TalvexTests and ends no session, so nothing but the program under test can
// end it.
#include "platform/win32/win32.h"

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\TalvexTests", &key) != ERROR_SUCCESS) return 1;
    RegSetValueExA(key, "WinebootCommandLine", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(commandLine),
                   static_cast<DWORD>(std::strlen(commandLine) + 1));
    RegCloseKey(key);
    return 0;
}
