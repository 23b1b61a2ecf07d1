#include "tests/e2e/ui_driver.h"

#include "gui/form1_window.h"

#include <cstring>
#include <iterator>
#include <thread>

namespace talvex::e2e {
namespace {

constexpr char kCardsKey[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards)";

void SetString(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

struct FindData {
    DWORD pid;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
    auto* data = reinterpret_cast<FindData*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != data->pid || ClassName(hwnd) != data->className) return TRUE;
    if (data->title && WindowText(hwnd) != data->title) return TRUE;
    data->found = hwnd;
    return FALSE;
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

void ClearNetworkCards() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCardsKey);
}

void SeedCard(int entry, const std::optional<std::string>& title, const std::string& product,
              const std::string& service) {
    HKEY key = nullptr;
    const std::string path = std::string(kCardsKey) + "\\" + std::to_string(entry);
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) return;
    if (title) SetString(key, "Title", *title);
    SetString(key, "ProductName", product);
    SetString(key, "ServiceName", service);
    RegCloseKey(key);
}

std::string ProgramPath() {
    return win32::ProgramFolder() + "TalvexCfg.exe";
}

App::~App() {
    if (!info_.hProcess) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

bool App::Start(const std::string& exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    return CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info_) != FALSE;
}

bool App::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool App::WaitForExit(std::chrono::milliseconds timeout) const {
    return WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) ==
           WAIT_OBJECT_0;
}

HWND App::FindTopLevel(const char* className, const char* title) const {
    FindData data{info_.dwProcessId, className, title, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND App::WaitForTopLevel(const char* className, const char* title) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevel(className, title)) != nullptr; });
    return found;
}

// Start-up has finished when the program is idle in its message loop with its window made.
HWND App::WaitForMainWindow() const {
    HWND window = WaitForTopLevel(win32::kForm1ClassName);
    if (window) WaitForInputIdle(info_.hProcess, static_cast<DWORD>(kTimeout.count()));
    return window;
}

// WM_GETTEXT, not GetWindowText: for another process's window GetWindowText returns only the
// caption it was created with, never what a combo box or edit field shows.
std::string WindowText(HWND hwnd) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
        return {};
    }
    std::wstring wide(text, copied);
    return {wide.begin(), wide.end()}; // the test texts are ASCII
}

std::string ClassName(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::vector<HWND> ChildrenInZOrder(HWND parent, const char* className) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!className || ClassName(child) == className) children.push_back(child);
    }
    return children;
}

HWND ChildWithText(HWND parent, const char* className, const std::string& text) {
    for (HWND child : ChildrenInZOrder(parent, className))
        if (WindowText(child) == text) return child;
    return nullptr;
}

std::string ComboItem(HWND combo, int index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(static_cast<size_t>(length));
    return {wide.begin(), wide.end()}; // the test texts are ASCII
}

int ComboCount(HWND combo) {
    return static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
}

void TrayClick(HWND mainWindow, UINT mouseMessage) {
    PostMessageA(mainWindow, win32::kTrayCallbackMessage, 1, mouseMessage);
}

HWND OpenTrayMenu(HWND mainWindow) {
    TrayClick(mainWindow, WM_RBUTTONUP);
    HWND menu = nullptr;
    const bool open = WaitUntil([&] {
        menu = FindWindowA("#32768", nullptr); // the popup menu's window class
        return menu && IsWindowVisible(menu);
    });
    return open ? menu : nullptr;
}

namespace {

NOTIFYICONDATAA TrayIconOf(HWND mainWindow) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = mainWindow;
    data.uID = 1;
    return data;
}

} // namespace

bool HasTrayIcon(HWND mainWindow) {
    NOTIFYICONDATAA data = TrayIconOf(mainWindow);
    data.uFlags = NIF_TIP;
    lstrcpynA(data.szTip, "Talvex Adapter Configuration", sizeof data.szTip);
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void LoseTrayIcon(HWND mainWindow) {
    NOTIFYICONDATAA data = TrayIconOf(mainWindow);
    Shell_NotifyIconA(NIM_DELETE, &data);
}

void SendTaskbarCreated(HWND mainWindow) {
    PostMessageA(mainWindow, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
}

bool ClickTab(HANDLE process, HWND tabControl, int index) {
    // The rectangle has to be read into the program's own memory.
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return false;
    RECT rect{};
    const bool got = SendMessageA(tabControl, TCM_GETITEMRECT, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(remote)) &&
                     ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (!got) return false;
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(tabControl, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(tabControl, WM_LBUTTONUP, 0, at);
    return true;
}

void TypeChars(HWND target, const std::string& chars) {
    for (char c : chars)
        PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void PutTextOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

void PressKey(HWND target, UINT virtualKey) {
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(target, WM_KEYUP, virtualKey, 0xC0000001);
}

void TypeKeys(std::initializer_list<WORD> chord) {
    std::vector<INPUT> inputs;
    for (WORD key : chord) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = std::rbegin(chord); key != std::rend(chord); ++key) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool BringToForeground(HWND window) {
    return WaitUntil([&] {
        if (GetForegroundWindow() == window) return true;
        SetForegroundWindow(window);
        return false;
    });
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                              : nullptr;
}

} // namespace talvex::e2e
