// Driving the Advanced and VLAN pages, OK and Cancel from another process, and the driver's
// parameters in the real registry.
#pragma once

#include "tests/e2e/ui_driver.h"

#include <optional>
#include <string>

namespace talvex::e2e {

// The driver key of the adapter the tests seed ("TVR8Q1").
inline constexpr char kParametersKey[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters)";

struct StoredValue {
    DWORD type = 0;
    std::string bytes;
    bool operator==(const StoredValue&) const = default;
};
StoredValue Dword(DWORD value);
StoredValue Text(const std::string& text); // a REG_SZ with its terminator

void ClearParameters();
void SetParameter(const std::string& name, const StoredValue& value);
std::optional<StoredValue> GetParameter(const std::string& name);

// A control of the page whose frame has this caption ("Advanced", "VLAN").
HWND PageControl(HWND mainWindow, const char* page, int id);
HWND MainButton(HWND mainWindow, const char* caption);

// Selects a list box row with the keyboard, as a user does: Home, then Down.
void SelectRow(HWND listBox, int row);
// Picks a combo box entry with the arrow keys in its edit field.
void PickEntry(HWND combo, int index);
int ListSelection(HWND listOrCombo);
// Selects all of an edit field's text and types over it.
void TypeOver(HWND edit, const std::string& text);
void Click(HWND button);

// TalvexCtl.exe beside the program, run with args to its end, as another program writing the
// driver's key; its exit status, or -1 when it did not end in time.
int RunConsoleTool(const std::string& args);

// A visible message box of the program with this title, and its text; answered with OK.
HWND WaitForMessageBox(const App& app, const char* title);
std::string MessageText(HWND box);
// Whether the program has a balloon tip on screen.
bool BalloonShown(const App& app);

} // namespace talvex::e2e
