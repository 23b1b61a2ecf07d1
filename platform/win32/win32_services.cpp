#include "platform/win32/win32_services.h"

#include "platform/win32/dialogs.h"

// The General page's sources, beside <windows.h> (which leaves them out when lean).
#include <nb30.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

namespace talvex::win32 {
namespace {

constexpr char kInstanceMutexName[] = "Local\\TalvexAdapterConfiguration.Instance";

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

SingleInstanceMark::SingleInstanceMark()
    : mutex_(CreateMutexA(nullptr, FALSE, kInstanceMutexName)),
      previous_(GetLastError() == ERROR_ALREADY_EXISTS) {}

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

} // namespace talvex::win32
