// The Windows Installer package's custom actions (TalvexMsiActions.dll, stored in the package's
// Binary table; installer/talvex.wxs schedules them):
//   CloseProgram       immediate: ends a running copy of the program as its close button does
//   RegisterLogonTask  deferred, as the system: registers the logon task for the folder in
//                      CustomActionData; a failure fails the install, which is then rolled back
//   RemoveLogonTask    deferred and rollback, as the system: deletes the task
// The task is the one the NSIS setup program registers (installer/talvex.nsi), under the same name.
#include "platform/win32/win32.h"
// After <windows.h>:
#include <msi.h>
#include <msiquery.h>

#include <string>

namespace {

using talvex::win32::ScopedKernelHandle;

constexpr wchar_t kTaskName[] = L"Talvex Adapter Configuration";
constexpr wchar_t kWindowClass[] = L"TalvexForm1";
constexpr wchar_t kExe[] = L"TalvexCfg.exe";
constexpr DWORD kCloseTimeoutMs = 10000;

// Writes a line to the installer's log (msiexec /l*v), or shows it as an error where there is UI.
void Report(MSIHANDLE install, INSTALLMESSAGE kind, const std::wstring& text) {
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, text.c_str());
    MsiProcessMessage(install, kind, record);
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

// Runs schtasks.exe from the system folder with the arguments; its exit code, or -1 when it
// could not be started or did not end within a minute.
long RunSchtasks(const std::wstring& arguments) {
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
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.get(), &code))
        return -1;
    return static_cast<long>(code);
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
    Report(install, static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR),
           L"The task that starts Talvex Adapter Configuration at logon could not be registered.");
    return ERROR_INSTALL_FAILURE;
}

// A task that is not there is no failure: the uninstall goes on.
extern "C" __declspec(dllexport) UINT __stdcall RemoveLogonTask(MSIHANDLE) {
    RunSchtasks(L"/delete /f /tn \"" + std::wstring(kTaskName) + L"\"");
    return ERROR_SUCCESS;
}
