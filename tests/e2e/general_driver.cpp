#include "tests/e2e/general_driver.h"

// After <windows.h>, which leaves them out when lean.
#include <nb30.h>
#include <winsock2.h>
#include <iphlpapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace talvex::e2e {
namespace {

constexpr char kHttpCommand[] = R"(SOFTWARE\Classes\http\shell\open\command)";

bool WinsockUp() {
    static const bool up = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return up;
}

std::string ReadDefault(HKEY root, const char* path) {
    char text[1024] = {};
    LONG size = sizeof text;
    return RegQueryValueA(root, path, text, &size) == ERROR_SUCCESS ? text : "";
}

} // namespace

std::string WineHostName() {
    char name[256] = {};
    return WinsockUp() && gethostname(name, sizeof name - 1) == 0 ? name : "";
}

std::vector<std::string> WineIPv4Addresses() {
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = GetAdaptersAddresses(
            AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
            nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    std::vector<std::string> found;
    if (result != NO_ERROR) return found;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter;
         adapter = adapter->Next)
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(unicast->Address.lpSockaddr);
            const auto* octets = reinterpret_cast<const unsigned char*>(&in->sin_addr);
            found.push_back(std::to_string(octets[0]) + '.' + std::to_string(octets[1]) + '.' +
                            std::to_string(octets[2]) + '.' + std::to_string(octets[3]));
        }
    return found;
}

std::string WineMacAddressOfLana0() {
    NCB ncb{};
    ncb.ncb_command = NCBRESET;
    Netbios(&ncb);
    unsigned char status[680] = {};
    ncb = NCB{};
    ncb.ncb_command = NCBASTAT;
    std::memcpy(ncb.ncb_callname, "*               ", NCBNAMSZ);
    ncb.ncb_buffer = status;
    ncb.ncb_length = sizeof status;
    if (Netbios(&ncb) != NRC_GOODRET) return {};
    char text[19] = {};
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X %02X ", status[0], status[1],
                  status[2], status[3], status[4], status[5]);
    return text;
}

void SetLayoutDpi(int dpi) {
    SetEnvironmentVariableA("TALVEX_DPI", dpi ? std::to_string(dpi).c_str() : nullptr);
}

// The http class's open command is what the shell runs for a "www." name; here it is cmd's
// echo into the log. The previous command comes back when the stand-in goes.
BrowserStandIn::BrowserStandIn()
    : log_(R"(C:\users\Public\talvex-opened.txt)"),
      previous_(ReadDefault(HKEY_LOCAL_MACHINE, kHttpCommand)) {
    DeleteFileA(log_.c_str());
    const std::string command = R"(C:\windows\system32\cmd.exe /c echo %1>>)" + log_;
    RegSetValueA(HKEY_LOCAL_MACHINE, kHttpCommand, REG_SZ, command.c_str(),
                 static_cast<DWORD>(command.size()));
}

BrowserStandIn::~BrowserStandIn() {
    RegSetValueA(HKEY_LOCAL_MACHINE, kHttpCommand, REG_SZ, previous_.c_str(),
                 static_cast<DWORD>(previous_.size()));
    DeleteFileA(log_.c_str());
}

std::vector<std::string> BrowserStandIn::Opened() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

void ClickPicture(HWND picture) {
    RECT client{};
    GetClientRect(picture, &client);
    const LPARAM at = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(picture, WM_LBUTTONUP, 0, at);
}

COLORREF ScreenColour(HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

} // namespace talvex::e2e
