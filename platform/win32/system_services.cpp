#include "platform/win32/system_services.h"

#include "platform/win32/hardware_guard.h"

// The General page's sources, beside <windows.h> (which leaves them out when lean).
#include <nb30.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>

namespace talvex::win32 {

// --- Apply and restart ---

// The shutdown privilege, enabled in the process's own token. No result is examined: a
// privilege that can't be had shows as ExitWindowsEx's refusal.
void SystemServices::EnableShutdownPrivilege() {
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

// Found at run time: it is the console tool's only need of user32, and loading user32 costs a
// process start dearly under Wine (it brings up the display driver). The window has it loaded.
std::int32_t SystemServices::ExitWindowsEx(unsigned flags, unsigned reserved) {
    HMODULE user32 = LoadLibraryA("user32.dll");
    const auto exitWindows = reinterpret_cast<decltype(&::ExitWindowsEx)>(
        reinterpret_cast<void*>(user32 ? GetProcAddress(user32, "ExitWindowsEx") : nullptr));
    if (exitWindows && exitWindows(flags, reserved)) return 0;
    const DWORD error = GetLastError();
    return error ? static_cast<std::int32_t>(error) : -1;
}

// --- The General page ---

std::uint8_t SystemServices::Netbios(Ncb& block) {
    NCB ncb{};
    ncb.ncb_command = block.command;
    ncb.ncb_lana_num = block.lana;
    std::memcpy(ncb.ncb_callname, block.callName, sizeof ncb.ncb_callname);
    ncb.ncb_buffer = block.buffer;
    ncb.ncb_length = block.length;
    return ::Netbios(&ncb);
}

// Failures come back as null rather than as a raised exception: the caller shows no address.
std::uint8_t* SystemServices::HeapAlloc(std::size_t bytes) {
    return static_cast<std::uint8_t*>(::HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
}

void SystemServices::HeapFree(std::uint8_t* block) {
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

bool IsLoopback(const IPv4Address& address) {
    return address[0] == 127;
}

// The addresses the resolver lists for the host name, in its order.
std::vector<IPv4Address> ResolverAddresses(const std::string& host) {
    std::vector<IPv4Address> addresses;
    const hostent* found = gethostbyname(host.c_str());
    if (!found || found->h_addrtype != AF_INET || found->h_length != 4 || !found->h_addr_list)
        return addresses;
    for (char** entry = found->h_addr_list; *entry; ++entry) {
        IPv4Address address{};
        std::memcpy(address.data(), *entry, address.size());
        addresses.push_back(address);
    }
    return addresses;
}

} // namespace

std::string SystemServices::LocalHostName() {
    char name[256] = {};
    if (!WinsockStarted() || gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::vector<IPv4Address> InterfaceAddresses() {
    std::vector<IPv4Address> addresses;
    if (!WinsockStarted()) return addresses;
    const SOCKET probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (probe == INVALID_SOCKET) return addresses;
    INTERFACE_INFO interfaces[32] = {};
    DWORD bytes = 0;
    const bool listed = WSAIoctl(probe, SIO_GET_INTERFACE_LIST, nullptr, 0, interfaces,
                                 sizeof interfaces, &bytes, nullptr, nullptr) == 0;
    closesocket(probe);
    if (!listed) return addresses;
    for (std::size_t i = 0; i < bytes / sizeof interfaces[0]; ++i) {
        const INTERFACE_INFO& info = interfaces[i];
        if ((info.iiFlags & IFF_UP) == 0 || info.iiAddress.Address.sa_family != AF_INET) continue;
        IPv4Address address{};
        std::memcpy(address.data(), &info.iiAddress.AddressIn.sin_addr, address.size());
        addresses.push_back(address);
    }
    return addresses;
}

std::string ChooseMachineAddress(const std::vector<IPv4Address>& resolver,
                                 const std::vector<IPv4Address>& interfaces) {
    const auto firstOther = [](const std::vector<IPv4Address>& list) {
        return std::find_if_not(list.begin(), list.end(), IsLoopback);
    };
    const IPv4Address* chosen = nullptr;
    if (auto other = firstOther(resolver); other != resolver.end())
        chosen = &*other;
    else if (auto up = firstOther(interfaces); up != interfaces.end())
        chosen = &*up;
    else if (!resolver.empty())
        chosen = &resolver.front();
    if (!chosen) return {};
    const IPv4Address& a = *chosen;
    return std::to_string(a[0]) + '.' + std::to_string(a[1]) + '.' + std::to_string(a[2]) + '.' +
           std::to_string(a[3]);
}

// The first address the resolver lists for the local host name, as the Winsock control gives it:
// for the local name the list holds the interfaces' addresses. Where a hosts file lists the host
// name under a loopback address (127.0.0.1, 127.0.1.1) and the resolver gives nothing else, the
// interfaces themselves are asked.
std::string SystemServices::LocalIP() {
    const std::string host = LocalHostName();
    if (host.empty()) return {};
    const std::vector<IPv4Address> resolver = ResolverAddresses(host);
    const bool onlyLoopback = std::all_of(resolver.begin(), resolver.end(), IsLoopback);
    return ChooseMachineAddress(resolver,
                                onlyLoopback ? InterfaceAddresses() : std::vector<IPv4Address>{});
}

// --- Diagnostics ---

void SystemServices::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

bool SystemServices::LoadDriverAgent() {
    if (!driverAgent_) driverAgent_.Load();
    return static_cast<bool>(driverAgent_);
}

bool SystemServices::GuardHardwareCall(const std::function<void()>& call) {
    return GuardedHardwareCall(call);
}

// The hardware mark beside the programs, held for the length of a run. Where no mark can be made
// (a folder that can't be written) the run is refused as if another held it: two runs at once
// would interleave their register and SROM accesses, and the folder the installers made is always
// writable by the administrators who run diagnostics.
bool SystemServices::TakeHardwareMark() {
    if (hardwareMark_.file) return false;
    hardwareMark_ = TakeProgramMark(kHardwareMarkName);
    return hardwareMark_.state == MarkState::Held;
}

void SystemServices::ReleaseHardwareMark() {
    hardwareMark_ = {};
}

} // namespace talvex::win32
