// schtasks.exe of the system folder, for the console tool's start-up task and the installers'
// logon task alike (the MSI's custom actions link nothing else of the platform layer).
#pragma once

#include "platform/win32/win32.h"

#include <string>

namespace talvex::win32 {

// Runs schtasks.exe with the arguments, without a window; its exit code, or -1 when it could not
// be started or did not end within a minute.
inline long RunSchtasks(const std::wstring& arguments) {
    constexpr DWORD kTimeoutMs = 60000;
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return -1;
    const std::wstring exe = std::wstring(system) + L"\\schtasks.exe";
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info))
        return -1;
    const ScopedKernelHandle process(info.hProcess);
    const ScopedKernelHandle thread(info.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(process.get(), kTimeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.get(), &code))
        return -1;
    return static_cast<long>(code);
}

} // namespace talvex::win32
