// A stand-in for schtasks.exe in the installer tests' Wine prefix, copied over the system's one and
// loaded with WINEDLLOVERRIDES=schtasks.exe=n. Wine's own drops the command and the triggers of a
// task it stores; this one keeps the XML it is given as the file tasks\<name> in the folder that
// TALVEX_SCHTASKS_DIR names (outside the prefix, so that snapshots of the prefix do not see it),
// and a test reads what was registered. Only /create can be made to fail (while the file
// fail-create lies there): /delete always works, so a test sees a task that an installer removed
// and did not register again. Every call is appended to schtasks.log there.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring InTestFolder(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"TALVEX_SCHTASKS_DIR", folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0) + L'\\' + name;
}

std::wstring Option(int argc, wchar_t** argv, const wchar_t* name) {
    for (int i = 1; i + 1 < argc; ++i)
        if (_wcsicmp(argv[i], name) == 0) return argv[i + 1];
    return {};
}

bool Has(int argc, wchar_t** argv, const wchar_t* name) {
    for (int i = 1; i < argc; ++i)
        if (_wcsicmp(argv[i], name) == 0) return true;
    return false;
}

void Log(const wchar_t* line) {
    FILE* log = _wfopen(InTestFolder(L"schtasks.log").c_str(), L"a");
    if (!log) return;
    std::fputws(line, log);
    std::fputws(L"\n", log);
    std::fclose(log);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Log(GetCommandLineW());
    const std::wstring task = InTestFolder(L"tasks\\") + Option(argc, argv, L"/tn");
    if (Has(argc, argv, L"/delete")) return DeleteFileW(task.c_str()) ? 0 : 1;
    if (!Has(argc, argv, L"/create")) return 1;
    if (GetFileAttributesW(InTestFolder(L"fail-create").c_str()) != INVALID_FILE_ATTRIBUTES)
        return 1;
    CreateDirectoryW(InTestFolder(L"tasks").c_str(), nullptr);
    return CopyFileW(Option(argc, argv, L"/xml").c_str(), task.c_str(), FALSE) ? 0 : 1;
}
