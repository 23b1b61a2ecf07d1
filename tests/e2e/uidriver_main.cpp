// uidriver: one step of a tour of a running TalvexCfg.exe, for scripts/demo.
//   uidriver wait | show | tab N (1 to 4) | exit
// Exits 0 when the program reached the state the step asks for, 1 when not.
#include "tests/e2e/ui_driver.h"

#include "platform/win32/form1_window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

bool SelectTab(HWND window, int tab) {
    static const char* const kPages[] = {"General", "Advanced", "VLAN", "Support"};
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    win32::ScopedKernelHandle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    HWND tabs = FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr);
    return process && ClickTab(process.get(), tabs, tab - 1) &&
           WaitUntil([&] { return FrontPage(window) == kPages[tab - 1]; });
}

} // namespace

// Paints the window now, so that a screenshot taken next shows the step's result.
int Painted(HWND window, bool reached) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return reached ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: uidriver wait | show | tab N | exit\n");
        return 2;
    }
    const char* step = argv[1];
    HWND window = nullptr;
    if (!WaitUntil([&] { return (window = MainWindow()) != nullptr; })) return 1;
    if (!std::strcmp(step, "wait")) {
        // The window's controls may not exist yet: look for the combo box each time.
        return WaitUntil([&] {
            HWND combo = FindWindowExA(window, nullptr, WC_COMBOBOXA, nullptr);
            return combo && ComboCount(combo) > 0;
        })
                   ? 0
                   : 1;
    }
    if (!std::strcmp(step, "show")) {
        if (!IsWindowVisible(window)) TrayClick(window, WM_LBUTTONUP);
        return Painted(window, WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    }
    if (!std::strcmp(step, "tab") && argc > 2) {
        const int tab = std::atoi(argv[2]);
        return Painted(window, tab >= 1 && tab <= 4 && SelectTab(window, tab));
    }
    if (!std::strcmp(step, "exit")) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return WaitUntil([&] { return !IsWindow(window); }) ? 0 : 1;
    }
    std::fprintf(stderr, "uidriver: unknown step %s\n", step);
    return 2;
}
