// Drives TalvexCfg.exe from another process under Wine, as a user would: registry seeding,
// starting and ending the program, finding its windows, clicks and keys. Every wait polls for
// a state with a timeout; nothing waits for a fixed time.
#pragma once

#include "platform/win32/win32.h"

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace talvex::e2e {

using namespace std::chrono_literals;
inline constexpr std::chrono::milliseconds kTimeout = 15s;

bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = kTimeout);

// --- registry --------------------------------------------------------------------------------
void ClearNetworkCards();
void SeedCard(int entry, const std::optional<std::string>& title, const std::string& product,
              const std::string& service);

// --- the program -----------------------------------------------------------------------------
std::string ProgramPath(); // TalvexCfg.exe beside the driver

class App {
  public:
    App() = default;
    ~App(); // ends the program if a test left it running
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    bool Start(const std::string& exe = ProgramPath());
    bool Running() const;
    bool WaitForExit(std::chrono::milliseconds timeout = kTimeout) const;
    DWORD pid() const { return info_.dwProcessId; }
    HANDLE process() const { return info_.hProcess; }

    // The main window once start-up has finished (the tray icon is up), or null.
    HWND WaitForMainWindow() const;
    // A top-level window of this process with the class and, when given, the title.
    HWND FindTopLevel(const char* className, const char* title = nullptr) const;
    HWND WaitForTopLevel(const char* className, const char* title = nullptr) const;

  private:
    PROCESS_INFORMATION info_{};
};

// --- windows ---------------------------------------------------------------------------------
std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);
std::vector<HWND> ChildrenInZOrder(HWND parent, const char* className = nullptr);
HWND ChildWithText(HWND parent, const char* className, const std::string& text);
// Text of a combo box item, read with the wide message so it crosses processes intact.
std::string ComboItem(HWND combo, int index);
int ComboCount(HWND combo);

void TrayClick(HWND mainWindow, UINT mouseMessage);
// Right-clicks the tray icon and returns the popup menu's window once it is up, or null.
HWND OpenTrayMenu(HWND mainWindow);
// Whether the notification area holds the program's icon (asked by modifying it in place).
bool HasTrayIcon(HWND mainWindow);
// What an Explorer restart does: the icons are lost, then TaskbarCreated is broadcast.
void LoseTrayIcon(HWND mainWindow);
void SendTaskbarCreated(HWND mainWindow);
// Clicks the tab at index (0-based) where a user would: in the middle of its rectangle.
bool ClickTab(HANDLE process, HWND tabControl, int index);
void TypeChars(HWND target, const std::string& chars);
void PutTextOnClipboard(const std::string& text);
void PressKey(HWND target, UINT virtualKey);

// Keys through the system's input queue, as the keyboard types them, to the foreground window:
// the keys of a chord pressed in order and released in reverse ({VK_CONTROL, VK_TAB}).
void TypeKeys(std::initializer_list<WORD> chord);
// Makes a window of the program the foreground window, where typed keys go.
bool BringToForeground(HWND window);
// The window with the keyboard focus in the thread of window (null when none).
HWND FocusOf(HWND window);

} // namespace talvex::e2e
