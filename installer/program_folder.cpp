#include "installer/program_folder.h"

#include "platform/win32/win32.h"
// After <windows.h>:
#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>

namespace talvex::installer {

namespace {

using talvex::win32::ScopedKernelHandle;

constexpr wchar_t kConsoleTool[] = L"TalvexCtl.exe";
// The files that mark a folder as an installation of the program (Uninstall.exe is too common a
// name to count).
constexpr const wchar_t* kProgramFiles[] = {L"TalvexCfg.exe", L"TalvexCtl.exe"};
// The elevated window loads DriverAgent.dll from its own folder, and the marks that stand for a
// running window or diagnostic live there: only administrators and the system may write to it.
// A new folder outside Program Files would otherwise inherit write access for every
// authenticated user (C:\ grants it), so nothing comes from the parent. Users read and run.
constexpr wchar_t kFolderSddl[] =
    L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
constexpr unsigned long kPollMs = 250;

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The full path of the process's program, or nothing when it cannot be read.
std::wstring ProcessImage(DWORD pid) {
    const ScopedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t path[MAX_PATH * 2];
    DWORD size = MAX_PATH * 2;
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return {};
    return {path, size};
}

// tools: the full paths of the console tools to look for. One whose path cannot be read counts
// as one of them: waiting for it is safe.
bool ConsoleToolRuns(const std::vector<std::wstring>& tools) {
    const ScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (!SamePath(entry.szExeFile, kConsoleTool)) continue;
        const std::wstring image = ProcessImage(entry.th32ProcessID);
        if (image.empty()) return true;
        for (const auto& tool : tools)
            if (SamePath(image, tool)) return true;
    }
    return false;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool HoldsProgram(const std::wstring& folder) {
    for (const wchar_t* file : kProgramFiles)
        if (Exists(folder + L'\\' + file)) return true;
    return false;
}

struct LocalFreeTraits : talvex::win32::NullInvalidTraits<PSECURITY_DESCRIPTOR, LocalFree> {};
using ScopedDescriptor = talvex::win32::ScopedHandle<LocalFreeTraits>;

ScopedDescriptor FolderDescriptor() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderSddl, SDDL_REVISION_1,
                                                         &descriptor, nullptr);
    return ScopedDescriptor(descriptor);
}

// The folder is made with its permissions in one step: there is no moment in which a user could
// put a file into it. Missing parents are made as usual.
bool CreateLocked(const std::wstring& folder, PSECURITY_DESCRIPTOR descriptor) {
    for (auto at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1))
        CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    return CreateDirectoryW(folder.c_str(), &attributes) != 0;
}

// Windows hands the new inheritable entries down to the files already there.
bool Lock(const std::wstring& folder, PSECURITY_DESCRIPTOR descriptor) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) return false;
    std::wstring path = folder;
    return SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

} // namespace

std::wstring NormalFolder(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    wchar_t full[MAX_PATH * 2];
    const DWORD length = GetLongPathNameW(folder.c_str(), full, MAX_PATH * 2);
    if (length != 0 && length < MAX_PATH * 2) folder.assign(full, length);
    return folder;
}

bool WaitForConsoleTool(const std::vector<std::wstring>& folders, unsigned long timeoutMs) {
    std::vector<std::wstring> tools;
    for (const auto& folder : folders)
        if (!folder.empty()) tools.push_back(NormalFolder(folder) + L'\\' + kConsoleTool);
    if (tools.empty()) return true;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (ConsoleToolRuns(tools)) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
    return true;
}

FolderResult PrepareProgramFolder(const std::wstring& given) {
    const std::wstring folder = NormalFolder(given);
    const ScopedDescriptor descriptor = FolderDescriptor();
    if (!descriptor || folder.empty()) return FolderResult::Failed;
    if (!Exists(folder))
        return CreateLocked(folder, descriptor.get()) ? FolderResult::Created : FolderResult::Failed;
    if (!HoldsProgram(folder)) return FolderResult::LeftAsItWas;
    return Lock(folder, descriptor.get()) ? FolderResult::Locked : FolderResult::Failed;
}

} // namespace talvex::installer
