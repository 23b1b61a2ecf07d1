#include "tests/e2e/settings_driver.h"

#include "gui/form1_window.h"

namespace talvex::e2e {

StoredValue Dword(DWORD value) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

StoredValue Text(const std::string& text) {
    return {REG_SZ, text + '\0'};
}

void ClearParameters() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kParametersKey);
}

void SetParameter(const std::string& name, const StoredValue& value) {
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kParametersKey, &key) != ERROR_SUCCESS) return;
    RegSetValueExA(key, name.c_str(), 0, value.type,
                   reinterpret_cast<const BYTE*>(value.bytes.data()),
                   static_cast<DWORD>(value.bytes.size()));
    RegCloseKey(key);
}

std::optional<StoredValue> GetParameter(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kParametersKey, &key) != ERROR_SUCCESS) return {};
    StoredValue value;
    DWORD count = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &count);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(count);
        status = RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                                  reinterpret_cast<BYTE*>(value.bytes.data()), &count);
        value.bytes.resize(count);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return {};
    return value;
}

HWND PageControl(HWND mainWindow, const char* page, int id) {
    HWND frame = ChildWithText(mainWindow, win32::kPageClassName, page);
    return frame ? GetDlgItem(frame, id) : nullptr;
}

HWND MainButton(HWND mainWindow, const char* caption) {
    return ChildWithText(mainWindow, "Button", caption);
}

void SelectRow(HWND listBox, int row) {
    PressKey(listBox, VK_HOME);
    for (int i = 0; i < row; ++i)
        PressKey(listBox, VK_DOWN);
}

void PickEntry(HWND combo, int index) {
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    HWND target = edit ? edit : combo;
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        PressKey(target, VK_UP);
    for (int i = 0; i < index; ++i)
        PressKey(target, VK_DOWN);
}

int ListSelection(HWND listOrCombo) {
    const bool combo = ClassName(listOrCombo) == "ComboBox";
    return static_cast<int>(SendMessageA(listOrCombo, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

void TypeOver(HWND edit, const std::string& text) {
    PostMessageA(edit, EM_SETSEL, 0, -1);
    TypeChars(edit, text);
}

void Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

int RunConsoleTool(const std::string& args) {
    const std::string exe = win32::ProgramFolder() + "TalvexCtl.exe";
    std::string commandLine = "\"" + exe + "\" " + args;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info))
        return -1;
    const win32::ScopedKernelHandle process(info.hProcess), thread(info.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(info.hProcess, static_cast<DWORD>(kTimeout.count())) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info.hProcess, &code))
        return -1;
    return static_cast<int>(code);
}

HWND WaitForMessageBox(const App& app, const char* title) {
    HWND box = nullptr;
    WaitUntil([&] {
        box = app.FindTopLevel("#32770", title);
        return box && IsWindowVisible(box);
    });
    return box;
}

std::string MessageText(HWND box) {
    for (HWND child : ChildrenInZOrder(box, "Static")) {
        std::string text = WindowText(child);
        if (!text.empty()) return text;
    }
    return {};
}

bool BalloonShown(const App& app) {
    HWND tip = app.FindTopLevel(TOOLTIPS_CLASSA);
    return tip && IsWindowVisible(tip);
}

} // namespace talvex::e2e
