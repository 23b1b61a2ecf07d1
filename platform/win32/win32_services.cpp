#include "platform/win32/win32_services.h"

#include "platform/win32/dialogs.h"
#include "platform/win32/hardware_guard.h"

// The General page's sources, beside <windows.h> (which leaves them out when lean).
#include <nb30.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

namespace talvex::win32 {
namespace {

// Global: an instance in another logon session (another user, a remote desktop) counts too.
constexpr char kInstanceMutexName[] = "Global\\TalvexAdapterConfiguration.Instance";

UINT MessageBoxFlags(MsgBoxStyle style) {
    constexpr UINT kCommon = MB_TASKMODAL | MB_SETFOREGROUND;
    switch (style) {
    case MsgBoxStyle::InformationOk: return kCommon | MB_OK | MB_ICONINFORMATION;
    case MsgBoxStyle::CriticalOk: return kCommon | MB_OK | MB_ICONSTOP;
    case MsgBoxStyle::ExclamationYesNo:
        return kCommon | MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON1;
    }
    return kCommon | MB_OK;
}

} // namespace

// An instance of another user holds a mark this user may not open: access is denied then, and
// that too means another instance is running.
SingleInstanceMark::SingleInstanceMark()
    : mutex_(CreateMutexA(nullptr, FALSE, kInstanceMutexName)), previous_([] {
          const DWORD error = GetLastError();
          return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
      }()) {}

MsgBoxResult Win32Services::MsgBox(const std::string& text, const std::string& title,
                                   MsgBoxStyle style) {
    switch (MessageBoxA(nullptr, text.c_str(), title.c_str(), MessageBoxFlags(style))) {
    case IDYES: return MsgBoxResult::Yes;
    case IDNO: return MsgBoxResult::No;
    default: return MsgBoxResult::Ok;
    }
}

void Win32Services::ShowNoAdapterFound() {
    ShowNoAdapterFoundDialog();
}

// --- Apply and restart ---

bool Win32Services::ShowRebootDialog() {
    return win32::ShowRebootDialog();
}

// The shutdown privilege, enabled in the process's own token. No result is examined: a
// privilege that can't be had shows as ExitWindowsEx's refusal.
void Win32Services::EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    ScopedKernelHandle owned(token);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA("", "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // Room for two privileges, as the previous state may hold more than the one changed.
    struct {
        TOKEN_PRIVILEGES set;
        LUID_AND_ATTRIBUTES more;
    } previous{};
    DWORD length = 0;
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof previous, &previous.set, &length);
}

std::int32_t Win32Services::ExitWindowsEx(unsigned flags, unsigned reserved) {
    if (::ExitWindowsEx(flags, reserved)) return 0;
    const DWORD error = GetLastError();
    return error ? static_cast<std::int32_t>(error) : -1;
}

// --- The General and Support pages ---

std::uint8_t Win32Services::Netbios(Ncb& block) {
    NCB ncb{};
    ncb.ncb_command = block.command;
    ncb.ncb_lana_num = block.lana;
    std::memcpy(ncb.ncb_callname, block.callName, sizeof ncb.ncb_callname);
    ncb.ncb_buffer = block.buffer;
    ncb.ncb_length = block.length;
    return ::Netbios(&ncb);
}

// Failures come back as null rather than as a raised exception: the caller shows no address.
std::uint8_t* Win32Services::HeapAlloc(std::size_t bytes) {
    return static_cast<std::uint8_t*>(::HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
}

void Win32Services::HeapFree(std::uint8_t* block) {
    ::HeapFree(GetProcessHeap(), 0, block);
}

namespace {

// Winsock is started once, on first use, and stays up for the life of the process.
bool WinsockStarted() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

} // namespace

std::string Win32Services::LocalHostName() {
    char name[256] = {};
    if (!WinsockStarted() || gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string Win32Services::LocalIP() {
    const std::string host = LocalHostName();
    if (host.empty()) return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return {};
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const bool converted = inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr;
    freeaddrinfo(found);
    return converted ? text : "";
}

void Win32Services::ShellExecuteA(std::uintptr_t owner, const std::string& operation,
                                  const std::string& file, const std::string& parameters,
                                  const std::string& directory, int showCommand) {
    ::ShellExecuteA(reinterpret_cast<HWND>(owner), operation.c_str(), file.c_str(),
                    parameters.c_str(), directory.c_str(), showCommand);
}

// --- Diagnostics ---

void Win32Services::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

// A quit request met here belongs to the main loop: it is posted again for that loop to find.
bool Win32Services::DoEvents() {
    MSG msg;
    while (!quitting_ && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            quitting_ = true;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !quitting_;
}

void Win32Services::RefreshMainWindow() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            if (IsWindowVisible(window))
                RedrawWindow(window, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            return TRUE;
        },
        0);
}

bool Win32Services::LoadDriverAgent() {
    if (!driverAgent_) driverAgent_.Load();
    return static_cast<bool>(driverAgent_);
}

bool Win32Services::GuardHardwareCall(const std::function<void()>& call) {
    return GuardedHardwareCall(call);
}

} // namespace talvex::win32
