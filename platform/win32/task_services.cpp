// The system services of a change that waits for confirmation: the clocks, and the Task
// Scheduler through schtasks.exe.
#include "platform/win32/system_services.h"

#include "platform/win32/schtasks.h"
#include "platform/win32/wide_text.h"

#include <cstdlib>

namespace talvex::win32 {
namespace {

// Task Scheduler reads a task's XML file as UTF-16 with its byte-order mark.
bool WriteUtf16File(const std::wstring& path, const std::wstring& text) {
    const ScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file) return false;
    const std::wstring marked = L"\xFEFF" + text;
    const auto bytes = static_cast<DWORD>(marked.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file.get(), marked.data(), bytes, &written, nullptr) && written == bytes;
}

} // namespace

std::int64_t SystemServices::UtcNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    constexpr ULONGLONG kUnixEpoch = 116444736000000000ULL; // 1970-01-01 in 100 ns since 1601
    return static_cast<std::int64_t>((ticks - kUnixEpoch) / 10000000ULL);
}

// TALVEX_UPTIME (seconds) makes Windows look started that long before this process first asked:
// a test hook for Wine, where no task runs at start-up and the time since start can't be chosen.
// A standard user who sets it changes only what their own processes see, which can't write the
// record; the task runs as the system, with the machine's environment.
std::uint64_t SystemServices::MillisecondsSinceStart() {
    static const ULONGLONG firstAsked = GetTickCount64();
    char seconds[24] = {};
    const DWORD length = GetEnvironmentVariableA("TALVEX_UPTIME", seconds, sizeof seconds);
    if (length == 0 || length >= sizeof seconds) return GetTickCount64();
    return std::strtoull(seconds, nullptr, 10) * 1000 + (GetTickCount64() - firstAsked);
}

bool SystemServices::CreateTask(const std::string& name, const std::string& xml) {
    wchar_t temp[MAX_PATH];
    wchar_t file[MAX_PATH] = L"";
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH || GetTempFileNameW(temp, L"tlx", 0, file) == 0)
        return false;
    const bool created =
        WriteUtf16File(file, WideText(xml)) &&
        RunSchtasks(L"/create /f /tn \"" + WideText(name) + L"\" /xml \"" + file + L"\"") == 0;
    DeleteFileW(file);
    return created;
}

bool SystemServices::DeleteTask(const std::string& name) {
    return RunSchtasks(L"/delete /f /tn \"" + WideText(name) + L"\"") == 0;
}

// Where no mark can be made (a folder that can't be written), confirming goes on without it: the
// steps it keeps apart take milliseconds, and a confirm that never runs would be worse.
bool SystemServices::TakeChangeMark() {
    if (changeMark_.file) return false;
    changeMark_ = TakeProgramMark(kChangeMarkName);
    return changeMark_.state != MarkState::HeldElsewhere;
}

void SystemServices::ReleaseChangeMark() {
    changeMark_ = {};
}

std::string SystemServices::ConsoleToolPath() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::wstring folder(path, length);
    return Utf8Text(folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"TalvexCtl.exe");
}

} // namespace talvex::win32
