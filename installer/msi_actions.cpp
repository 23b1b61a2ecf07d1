// The Windows Installer package's custom actions (TalvexMsiActions.dll, stored in the package's
// Binary table; installer/talvex.wxs schedules them):
//   FindInstalledFolder  immediate, on an installed product: INSTALLDIR is where it is installed
//   WaitForConsoleTool   immediate: waits CONSOLEWAIT seconds for a running console tool, or
//                        fails the install before anything has changed
//   CloseProgram         immediate: ends a running copy of the program as its close button does
//   PlanInstallDir       immediate: the data of PrepareInstallDir and of its rollback
//   PrepareInstallDir    deferred, as the system: creates the program's folder with its
//                        permissions (program_folder.cpp); rollback: RemoveEmptyFolder
//   RegisterLogonTask    deferred, as the system: registers the logon task for the folder in
//                        CustomActionData; a failure fails the install, which is then rolled back.
//                        As the rollback of RemoveLogonTask it registers the task again.
//   RemoveLogonTask      deferred and rollback, as the system: deletes the task
//   ForgetPendingChange  deferred, as the system, at the uninstall: deletes the record of a
//                        change made with TalvexCtl set --confirm-within and its task
// The task is the one the NSIS setup program registers (installer/talvex.nsi), under the same name.
#include "platform/win32/schtasks.h"
#include "platform/win32/win32.h"
// After <windows.h>:
#include <msi.h>
#include <msiquery.h>

#include "installer/program_folder.h"

#include <string>
#include <vector>

namespace {

using talvex::win32::RunSchtasks;
using talvex::win32::ScopedKernelHandle;

constexpr wchar_t kTaskName[] = L"Talvex Adapter Configuration";
constexpr wchar_t kWindowClass[] = L"TalvexForm1";
constexpr wchar_t kExe[] = L"TalvexCfg.exe";
constexpr DWORD kCloseTimeoutMs = 10000;
// The components whose key files are TalvexCfg.exe and TalvexCtl.exe, in every version.
constexpr wchar_t kProgramComponent[] = L"{B3D2AF9E-7B77-4FD0-A835-88C4F12CE8FE}";
constexpr wchar_t kConsoleComponent[] = L"{676F55B0-25E0-44A3-AC7F-B5131E2F3DEE}";

// Writes a line to the installer's log (msiexec /l*v), or shows it as an error where there is UI.
void Report(MSIHANDLE install, INSTALLMESSAGE kind, const std::wstring& text) {
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, text.c_str());
    MsiProcessMessage(install, kind, record);
}

void ReportError(MSIHANDLE install, const std::wstring& text) {
    Report(install, static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), text);
}

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
    DWORD size = 0;
    wchar_t empty[1] = L"";
    if (MsiGetPropertyW(install, name, empty, &size) != ERROR_MORE_DATA) return {};
    std::wstring value(++size, L'\0');
    if (MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) return {};
    value.resize(size);
    return value;
}

// The folder of an installed component's key file, from whichever version installed it.
std::wstring InstalledFolder(const wchar_t* component) {
    wchar_t path[MAX_PATH * 2];
    DWORD size = MAX_PATH * 2;
    if (MsiLocateComponentW(component, path, &size) != INSTALLSTATE_LOCAL) return {};
    std::wstring folder(path, size);
    const auto slash = folder.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring{} : folder.substr(0, slash + 1);
}

void SetProperty(MSIHANDLE install, const wchar_t* name, const std::wstring& value) {
    MsiSetPropertyW(install, name, value.c_str());
}

std::wstring XmlEscaped(const std::wstring& text) {
    std::wstring out;
    for (const wchar_t c : text) {
        switch (c) {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

// Any member of Administrators at logon, elevated, with no time limit (the default ends a task
// after three days), on battery too.
std::wstring LogonTaskXml(const std::wstring& exe) {
    return L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
           L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
           L"  <RegistrationInfo><Description>Starts Talvex Adapter Configuration in the notification "
           L"area when an administrator logs on.</Description></RegistrationInfo>\r\n"
           L"  <Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>\r\n"
           L"  <Principals><Principal id=\"Administrators\"><GroupId>S-1-5-32-544</GroupId>"
           L"<RunLevel>HighestAvailable</RunLevel></Principal></Principals>\r\n"
           L"  <Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
           L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
           L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
           L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>4</Priority></Settings>\r\n"
           L"  <Actions Context=\"Administrators\"><Exec><Command>\"" +
           XmlEscaped(exe) + L"\"</Command></Exec></Actions>\r\n</Task>\r\n";
}

bool WriteFileW(const std::wstring& path, const std::wstring& text) {
    const ScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file) return false;
    const auto bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), bytes, &written, nullptr) && written == bytes;
}

} // namespace

// Windows Installer does not keep INSTALLDIR: without this, a maintenance install or an uninstall
// of a product installed elsewhere would resolve it to the default folder, and register the logon
// task for a program that is not there, or look for a running console tool in the wrong place.
extern "C" __declspec(dllexport) UINT __stdcall FindInstalledFolder(MSIHANDLE install) {
    const std::wstring folder = InstalledFolder(kProgramComponent);
    if (!folder.empty()) SetProperty(install, L"INSTALLDIR", folder);
    return ERROR_SUCCESS;
}

// A console tool started from the folder (a nightly diag, a show in a script) holds its files
// and, during a diag, the adapter suspended: it is never ended from here. The install waits for
// it, or fails while nothing has changed yet. An earlier version's folder counts too: its
// uninstall is part of an upgrade.
extern "C" __declspec(dllexport) UINT __stdcall WaitForConsoleTool(MSIHANDLE install) {
    const std::vector<std::wstring> folders{Property(install, L"INSTALLDIR"),
                                            InstalledFolder(kConsoleComponent)};
    const int seconds = _wtoi(Property(install, L"CONSOLEWAIT").c_str());
    if (talvex::installer::WaitForConsoleTool(folders, 0)) return ERROR_SUCCESS;
    Report(install, INSTALLMESSAGE_INFO,
           L"Waiting up to " + std::to_wstring(seconds) + L" s for TalvexCtl.exe to end.");
    const auto ms = static_cast<unsigned long>(seconds > 0 ? seconds : 0) * 1000UL;
    if (talvex::installer::WaitForConsoleTool(folders, ms)) return ERROR_SUCCESS;
    ReportError(install,
           L"TalvexCtl.exe is still running from the program's folder (a diagnostic run or a "
           L"script). Nothing was changed: install again when it has ended.");
    return ERROR_INSTALL_FAILURE;
}

// Only a folder that this install creates is removed again by a rollback.
extern "C" __declspec(dllexport) UINT __stdcall PlanInstallDir(MSIHANDLE install) {
    const std::wstring folder = Property(install, L"INSTALLDIR");
    SetProperty(install, L"PrepareInstallDir", folder);
    const bool exists = GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
    SetProperty(install, L"UndoPrepareInstallDir", exists ? std::wstring{} : folder);
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall PrepareInstallDir(MSIHANDLE install) {
    const std::wstring folder = Property(install, L"CustomActionData");
    using talvex::installer::FolderResult;
    switch (talvex::installer::PrepareProgramFolder(folder)) {
    case FolderResult::Created:
    case FolderResult::Locked: return ERROR_SUCCESS;
    case FolderResult::LeftAsItWas:
        Report(install, INSTALLMESSAGE_INFO,
               folder + L" existed and holds no earlier installation: its permissions are left "
                        L"as they are. Only administrators should be able to write to it.");
        return ERROR_SUCCESS;
    case FolderResult::Failed: break;
    }
    ReportError(install, L"The permissions of " + folder + L" could not be set.");
    return ERROR_INSTALL_FAILURE;
}

// A folder that is not empty (files of someone else) stays.
extern "C" __declspec(dllexport) UINT __stdcall RemoveEmptyFolder(MSIHANDLE install) {
    RemoveDirectoryW(talvex::installer::NormalFolder(Property(install, L"CustomActionData")).c_str());
    return ERROR_SUCCESS;
}

// A copy run from another folder is closed too: its window class is the same, and two copies
// never run at once.
extern "C" __declspec(dllexport) UINT __stdcall CloseProgram(MSIHANDLE install) {
    const HWND window = FindWindowW(kWindowClass, nullptr);
    if (!window) return ERROR_SUCCESS;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const ScopedKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    Report(install, INSTALLMESSAGE_INFO, L"Closing the running Talvex Adapter Configuration.");
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    // Windows Installer copes with a program that stays: it replaces or removes the files in use
    // at the next restart and ends with 3010, so this action never fails the install.
    if (process && WaitForSingleObject(process.get(), kCloseTimeoutMs) != WAIT_OBJECT_0)
        Report(install, INSTALLMESSAGE_INFO,
               L"Talvex Adapter Configuration did not close; its files are replaced at restart.");
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall RegisterLogonTask(MSIHANDLE install) {
    std::wstring folder = Property(install, L"CustomActionData");
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    wchar_t temp[MAX_PATH];
    wchar_t xml[MAX_PATH] = L"";
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    const bool ok =
        !folder.empty() && length != 0 && length < MAX_PATH &&
        GetTempFileNameW(temp, L"tlx", 0, xml) != 0 &&
        WriteFileW(xml, LogonTaskXml(folder + kExe)) &&
        RunSchtasks(L"/create /f /tn \"" + std::wstring(kTaskName) + L"\" /xml \"" + xml + L"\"") == 0;
    if (xml[0] != L'\0') DeleteFileW(xml);
    if (ok) return ERROR_SUCCESS;
    const std::wstring failed =
        L"The task that starts Talvex Adapter Configuration at logon could not be registered.";
    // As a rollback there is nothing left to fail: the log says it.
    if (MsiGetMode(install, MSIRUNMODE_ROLLBACK)) {
        Report(install, INSTALLMESSAGE_INFO, failed);
        return ERROR_SUCCESS;
    }
    ReportError(install, failed);
    return ERROR_INSTALL_FAILURE;
}

// A task that is not there is no failure: the uninstall goes on.
extern "C" __declspec(dllexport) UINT __stdcall RemoveLogonTask(MSIHANDLE) {
    RunSchtasks(L"/delete /f /tn \"" + std::wstring(kTaskName) + L"\"");
    return ERROR_SUCCESS;
}

// The change stays as it is, without the record and task that would put it back.
extern "C" __declspec(dllexport) UINT __stdcall ForgetPendingChange(MSIHANDLE) {
    RunSchtasks(L"/delete /f /tn \"" + std::wstring(kTaskName) + L" revert\"");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Talvex\\Adapter Configuration");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Talvex"); // only when empty
    return ERROR_SUCCESS;
}
