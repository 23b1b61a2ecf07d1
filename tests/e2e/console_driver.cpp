#include "tests/e2e/console_driver.h"

#include <fstream>
#include <sstream>

namespace talvex::e2e {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::string all = text.str();
    std::erase(all, '\r'); // the console's line ends
    return all;
}

HANDLE Inheritable(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string SystemFile(const char* name) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\" + name;
}

// The prefix's own file is a hard link into its template, which must not change: it is deleted
// and the program copied in its place, and Wine told to prefer it to its built-in one.
bool ReplaceSystemProgram(const char* name, const std::string& with) {
    const std::string target = SystemFile(name);
    DeleteFileA(target.c_str());
    const char native[] = "native";
    return CopyFileA(with.c_str(), target.c_str(), FALSE) &&
           RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", name, REG_SZ,
                           native, sizeof native) == ERROR_SUCCESS;
}

} // namespace

Ctl::Ctl(const std::string& args, const std::string& folder) {
    static int runs = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "talvexctl-" + std::to_string(++runs);
    outPath_ = base + ".out";
    errPath_ = base + ".err";
    HANDLE out = Inheritable(outPath_), err = Inheritable(errPath_);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    const std::string exe = folder + "TalvexCtl.exe";
    std::string commandLine = "\"" + exe + "\" " + args;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info_))
        info_ = {};
    CloseHandle(out);
    CloseHandle(err);
}

Ctl::~Ctl() {
    if (info_.hProcess) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
    DeleteFileA(outPath_.c_str());
    DeleteFileA(errPath_.c_str());
}

int Ctl::Wait(std::chrono::milliseconds timeout) {
    if (!info_.hProcess ||
        WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != 0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
}

std::string Ctl::Out() const {
    return ReadAll(outPath_);
}

std::string Ctl::Err() const {
    return ReadAll(errPath_);
}

Outcome RunCtl(const std::string& args) {
    Ctl ctl(args);
    const int status = ctl.Wait();
    return {status, ctl.Out(), ctl.Err()};
}

bool InstallWinebootProbe() {
    return ReplaceSystemProgram("wineboot.exe", win32::ProgramFolder() + "wineboot_probe.exe");
}

std::string WinebootCommandLine() {
    char text[512] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\TalvexTests", "WinebootCommandLine",
                     RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

void ForgetWinebootCommandLine() {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\TalvexTests", "WinebootCommandLine");
}

bool InstallSchtasksStandIn(const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    return SetEnvironmentVariableA("TALVEX_SCHTASKS_DIR", folder.c_str()) &&
           ReplaceSystemProgram("schtasks.exe", win32::ProgramFolder() + "schtasks_standin.exe");
}

} // namespace talvex::e2e
