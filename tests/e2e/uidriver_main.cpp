// uidriver: one step against a running TalvexCfg.exe, for scripts/demo and the real-tray test.
//   uidriver wait | show | tab N | exit | visible | hidden | gone | menu | ok | answer YES|NO | diag
// Exits 0 when the program reached the state the step asks for (waiting for it with a
// timeout), 1 when not, 2 for a step it doesn't know.
#include "diag/diag_page.h"
#include "tests/e2e/diag_driver.h"
#include "tests/e2e/ui_driver.h"

#include "gui/form1_window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

using namespace talvex;
using namespace talvex::e2e;

namespace {

HWND MainWindow() {
    return FindWindowA(win32::kForm1ClassName, nullptr);
}

std::string FrontPage(HWND window) {
    auto pages = ChildrenInZOrder(window, win32::kPageClassName);
    return pages.empty() ? "" : WindowText(pages.front());
}

// Paints the window now, so that a screenshot taken next shows the step's result.
bool Painted(HWND window, bool reached) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return reached;
}

// Start-up is over once the adapter is listed; the controls may not exist at first.
bool Started(HWND window, const char*) {
    return WaitUntil([&] {
        HWND combo = FindWindowExA(window, nullptr, WC_COMBOBOXA, nullptr);
        return combo && ComboCount(combo) > 0;
    });
}

bool Visible(HWND window, const char*) {
    return Painted(window, WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
}

bool Hidden(HWND window, const char*) {
    return WaitUntil([&] { return !IsWindowVisible(window); });
}

bool Gone(HWND window, const char*) {
    return WaitUntil([&] { return !IsWindow(window); });
}

bool MenuOpen(HWND, const char*) {
    return WaitUntil([] {
        HWND menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
    });
}

bool Show(HWND window, const char* argument) {
    if (!IsWindowVisible(window)) TrayClick(window, WM_LBUTTONUP);
    return Visible(window, argument);
}

bool Exit(HWND window, const char* argument) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return Gone(window, argument);
}

bool Tab(HWND window, const char* argument) {
    static const char* const kPages[] = {"General", "Advanced", "VLAN", "Support"};
    const int tab = argument ? std::atoi(argument) : 0;
    if (tab < 1 || tab > 4) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    win32::ScopedKernelHandle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    HWND tabs = FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr);
    return Painted(window, process && ClickTab(process.get(), tabs, tab - 1) &&
                               WaitUntil([&] { return FrontPage(window) == kPages[tab - 1]; }));
}

// The program's restart question, once it is up.
HWND RestartQuestion(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HWND question = nullptr;
    WaitUntil([&] {
        question = FindWindowA("TalvexModalForm", nullptr);
        DWORD owner = 0;
        if (question) GetWindowThreadProcessId(question, &owner);
        return question && owner == pid && IsWindowVisible(question);
    });
    return question;
}

bool Ok(HWND window, const char*) {
    PostMessageA(ChildWithText(window, "Button", "OK"), BM_CLICK, 0, 0);
    HWND question = RestartQuestion(window);
    return question && Painted(question, true);
}

bool Answer(HWND window, const char* argument) {
    HWND question = RestartQuestion(window);
    HWND button = question && argument ? ChildWithText(question, "Button", argument) : nullptr;
    if (!button) return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(question); });
}

// The Diagnostic page brought forward with its shortcut, and one confirmed run on it.
bool Diag(HWND window, const char*) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    win32::ScopedKernelHandle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) return false;
    DiagDriver page(process.get(), window);
    if (!page.Reach()) return false;
    page.ClickFrontButton();
    HWND warning = page.WaitForMessage(kDiagWarning);
    if (!warning) return false;
    PostMessageA(warning, WM_COMMAND, IDYES, 0);
    return Painted(window, page.WaitForRun() && page.WaitForIdle());
}

struct Step {
    const char* name;
    bool (*run)(HWND window, const char* argument);
};

constexpr Step kSteps[] = {
    {"wait", Started},  {"show", Show}, {"tab", Tab},       {"exit", Exit}, {"visible", Visible},
    {"hidden", Hidden}, {"gone", Gone}, {"menu", MenuOpen}, {"ok", Ok},     {"answer", Answer},
    {"diag", Diag},
};

} // namespace

int main(int argc, char** argv) {
    const char* name = argc > 1 ? argv[1] : "";
    for (const Step& step : kSteps) {
        if (std::strcmp(step.name, name) != 0) continue;
        HWND window = nullptr;
        if (!WaitUntil([&] { return (window = MainWindow()) != nullptr; })) return 1;
        return step.run(window, argc > 2 ? argv[2] : nullptr) ? 0 : 1;
    }
    std::fprintf(stderr,
                 "usage: uidriver wait | show | tab N | exit | visible | hidden | gone | menu | ok "
                 "| answer YES|NO | diag\n");
    return 2;
}
