// The Win32 layer under Wine: the real main window, controls, menu and modal forms.
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "gui/form1_window.h"
#include "platform/win32/layout.h"
#include "gui/modal_form.h"
#include "shell/form1.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace talvex::win32 {
namespace {

std::vector<std::string> PagesTopFirst(HWND window) {
    std::vector<std::string> pages;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {}, text[64] = {};
        GetClassNameA(child, name, sizeof name);
        GetWindowTextA(child, text, sizeof text);
        if (std::string(name) == kPageClassName) pages.emplace_back(text);
    }
    return pages;
}

HWND MainWindow(const Form1Window& window) {
    return reinterpret_cast<HWND>(window.hWnd());
}

class Form1WindowTest : public testing::Test {
  protected:
    Form1WindowTest() {
        registry.SeedString(kHKeyLocalMachine,
                            R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)",
                            "Title", "Talvex Adapter");
        registry.SeedString(kHKeyLocalMachine,
                            R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)",
                            "ProductName", "TVR8Q");
        registry.SeedString(kHKeyLocalMachine,
                            R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)",
                            "ServiceName", "TVR8Q1");
        window.Attach(form);
    }

    std::string ShowHideCaption() { return form1Controls.mnuShowHide->Caption(); }

    MemoryRegistry registry;
    MemoryServices services;
    Form1Window window;
    Form1Controls form1Controls = window.Controls();
    Form1 form{form1Controls, services, registry};
};

TEST_F(Form1WindowTest, IsAFixedCentredWindowOfTheTwipsSize) {
    HWND hwnd = MainWindow(window);
    char title[64] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    EXPECT_STREQ(title, "Talvex Adapter Configuration");
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    RECT client{};
    GetClientRect(hwnd, &client);
    const int dpi = WindowDpi(hwnd);
    EXPECT_EQ(client.right, TwipsToPixels(5760, dpi));
    EXPECT_EQ(client.bottom, TwipsToPixels(6705, dpi));
}

TEST_F(Form1WindowTest, StartUpHidesTheWindowWithGeneralOnTopAndTheMenuOffersShow) {
    ASSERT_TRUE(form.InitializeWindow());
    HWND hwnd = MainWindow(window);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    const auto pages = PagesTopFirst(hwnd);
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(pages.front(), "General");
    EXPECT_EQ(pages.back(), "Diagnostic");
    EXPECT_EQ(ShowHideCaption(), "&Show Window");
    EXPECT_EQ(form1Controls.cbNetCardDesp->Text(), "Talvex Adapter");
}

TEST_F(Form1WindowTest, ShowHideCaptionFollowsTheWindowAndKeepsTheItemDefault) {
    ASSERT_TRUE(form.InitializeWindow());
    HWND hwnd = MainWindow(window);
    form.mnuShowHide_Click();
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(ShowHideCaption(), "&Hide Window");
    ShowWindow(hwnd, SW_MINIMIZE); // minimized still counts as shown
    form.TrayIcon1_Notify(kTrayShowHide);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(ShowHideCaption(), "&Show Window");
}

TEST_F(Form1WindowTest, BringToFrontChangesOnlyTheSiblingOrder) {
    HWND hwnd = MainWindow(window);
    HWND diag = FindWindowExA(hwnd, nullptr, kPageClassName, "Diagnostic");
    RECT before{};
    GetWindowRect(diag, &before);
    form1Controls.frmDiag->BringToFront();
    EXPECT_EQ(PagesTopFirst(hwnd).front(), "Diagnostic");
    form1Controls.frmSupport->BringToFront();
    const auto pages = PagesTopFirst(hwnd);
    EXPECT_EQ(pages[0], "Support");
    EXPECT_EQ(pages[1], "Diagnostic");
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE); // nothing hidden
    RECT after{};
    GetWindowRect(diag, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(Form1WindowTest, ComboBoxListBehavesLikeAList) {
    ListControl& combo = *form1Controls.cbNetCardDesp;
    EXPECT_EQ(combo.Text(), "Select a network adapter");
    combo.AddItem(std::string("first") + '\0' + "hidden");
    combo.AddItem("second");
    EXPECT_EQ(combo.ListCount(), 2);
    EXPECT_EQ(combo.List(0), "first"); // a window text ends at its first NUL
    EXPECT_EQ(combo.ListIndex(), -1);
    combo.SetListIndex(1);
    EXPECT_EQ(combo.ListIndex(), 1);
    EXPECT_EQ(combo.Text(), "second");
    combo.RemoveItem(0);
    EXPECT_EQ(combo.ListCount(), 1);
    EXPECT_EQ(combo.List(5), "");
}

// What the open tray menu held, read while it was shown.
struct OpenMenu {
    struct Item {
        std::string caption;
        UINT type = 0, state = 0, id = 0;
    };
    HMENU menu = nullptr;
    std::vector<Item> items;
    bool shown = false;
    int commands = 0;
};

OpenMenu::Item ReadMenuItem(HMENU menu, int position) {
    char caption[64] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID;
    info.dwTypeData = caption;
    info.cch = sizeof caption;
    GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
    return {caption, info.fType, info.fState, info.wID};
}

// Watches the main window while its menu is tracked: the menu it opens, the first idle moment
// with the menu on screen (where the items are read and the menu closed), and any command.
LRESULT CALLBACK WatchTrayMenu(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    auto& open = *reinterpret_cast<OpenMenu*>(data);
    switch (message) {
    case WM_INITMENUPOPUP: open.menu = reinterpret_cast<HMENU>(wParam); break;
    case WM_ENTERIDLE:
        if (wParam == MSGF_MENU && open.menu && !open.shown) {
            open.shown = IsWindowVisible(reinterpret_cast<HWND>(lParam)) != FALSE;
            for (int i = 0; i < GetMenuItemCount(open.menu); ++i)
                open.items.push_back(ReadMenuItem(open.menu, i));
            EndMenu();
        }
        break;
    case WM_COMMAND: ++open.commands; break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Opens the tray menu as a right click on the icon does and reads it while it is open.
OpenMenu ReadTrayMenu(Form1& form, HWND main) {
    OpenMenu open;
    SetWindowSubclass(main, WatchTrayMenu, 1, reinterpret_cast<DWORD_PTR>(&open));
    // Should the menu never go idle, it is closed all the same rather than waited on for ever.
    const UINT_PTR guard =
        SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    form.TrayIcon1_Notify(kTrayPopupMenu);
    KillTimer(nullptr, guard);
    MSG msg; // a choice would arrive as a posted command
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    RemoveWindowSubclass(main, WatchTrayMenu, 1);
    return open;
}

TEST_F(Form1WindowTest, TrayMenuShowsItsItemsWithTheDefaultInBoldAndClosesWithNothingChosen) {
    ASSERT_TRUE(form.InitializeWindow());
    HWND main = MainWindow(window);
    for (bool shown : {false, true}) {
        SCOPED_TRACE(shown ? "window shown" : "window hidden");
        if (shown) form.mnuShowHide_Click();
        const OpenMenu open = ReadTrayMenu(form, main);
        EXPECT_TRUE(open.shown);
        ASSERT_EQ(open.items.size(), 3u);
        const auto& showHide = open.items[0];
        EXPECT_EQ(showHide.caption, shown ? "&Hide Window" : "&Show Window");
        EXPECT_EQ(showHide.type, static_cast<UINT>(MFT_STRING));
        EXPECT_TRUE(showHide.state & MFS_DEFAULT); // drawn in bold
        EXPECT_EQ(open.items[1].type, static_cast<UINT>(MFT_SEPARATOR));
        EXPECT_EQ(open.items[2].caption, "Exit");
        EXPECT_FALSE(open.items[2].state & MFS_DEFAULT);
        // Closed without a choice: no command, the window as it was and still there.
        EXPECT_EQ(open.commands, 0);
        EXPECT_TRUE(IsWindow(main));
        EXPECT_EQ(IsWindowVisible(main) != FALSE, shown);
        EXPECT_EQ(ShowHideCaption(), shown ? "&Hide Window" : "&Show Window");
    }
}

// Keys pressed through the system's input queue, as a keyboard does: each key down and up.
void PressKeys(std::initializer_list<std::initializer_list<WORD>> chords) {
    std::vector<INPUT> inputs;
    auto key = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (const auto& chord : chords) {
        for (WORD vk : chord)
            key(vk, false);
        for (auto vk = std::rbegin(chord); vk != std::rend(chord); ++vk)
            key(*vk, true);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The keyboard messages that reached an edit box, counted before it handles them.
struct KeysSeen {
    int keyUps = 0;
    int chars = 0;
};

LRESULT CALLBACK CountKeys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR data) {
    auto& seen = *reinterpret_cast<KeysSeen*>(data);
    if (message == WM_KEYUP) ++seen.keyUps;
    if (message == WM_CHAR) ++seen.chars;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void PutTextOnClipboard(HWND owner, const char* text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    const size_t size = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

std::string WindowText(HWND hwnd) {
    char text[128] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// Focuses the edit box, types letters, digits, Backspace, Home, Delete, Ctrl+V and Shift+Insert
// (the clipboard holds "pasted") through the input queue and the main loop's path, and waits until
// every key has reached the box. Returns the keyboard messages the box received.
KeysSeen TypeInto(Form1Window& window, HWND edit) {
    KeysSeen seen;
    SetWindowSubclass(edit, CountKeys, 7, reinterpret_cast<DWORD_PTR>(&seen));
    HWND main = reinterpret_cast<HWND>(window.hWnd());
    SetForegroundWindow(main);
    SetFocus(edit);
    EXPECT_EQ(GetFocus(), edit);
    PressKeys({{'A'},
               {'B'},
               {'1'},
               {'2'},
               {VK_BACK},
               {VK_HOME},
               {VK_DELETE},
               {VK_CONTROL, 'V'},
               {VK_SHIFT, VK_INSERT}});
    constexpr int kKeys = 11;
    for (int waited = 0; seen.keyUps < kKeys && waited < 5000; waited += 10) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (window.PreTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    EXPECT_EQ(seen.keyUps, kKeys);
    RemoveWindowSubclass(edit, CountKeys, 7);
    return seen;
}

TEST_F(Form1WindowTest, TypingIntoTheAdapterBoxChangesNeitherItsTextNorItsList) {
    ASSERT_TRUE(form.InitializeWindow());
    form.mnuShowHide_Click();
    HWND main = MainWindow(window);
    PutTextOnClipboard(main, "pasted");

    // The same keys change an ordinary edit box: they do arrive, and they would edit.
    HWND plain = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 100, 20,
                               main, nullptr, nullptr, nullptr);
    TypeInto(window, plain);
    EXPECT_EQ(WindowText(plain), "pastedpastedb1");
    DestroyWindow(plain);

    ListControl& box = *form1Controls.cbNetCardDesp;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(FindWindowExA(main, nullptr, WC_COMBOBOXA, nullptr), &info));
    const KeysSeen seen = TypeInto(window, info.hwndItem);
    EXPECT_EQ(seen.chars, 6); // a, b, 1, 2, Backspace and Ctrl+V reached the box
    EXPECT_EQ(WindowText(info.hwndItem), "Talvex Adapter");
    EXPECT_EQ(box.Text(), "Talvex Adapter");
    EXPECT_EQ(box.ListCount(), 1);
    EXPECT_EQ(box.List(0), "Talvex Adapter");
    EXPECT_EQ(box.ListIndex(), 0);
}

// Changes made by the program raise notifications that must not count as user actions.
TEST(ProgrammaticChange, NotificationsDuringAProgramChangeAreMarked) {
    struct Seen {
        int changes = 0;
        int markedAsProgram = 0;
    } seen;
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
            auto* s = reinterpret_cast<Seen*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            ++s->changes;
            s->markedAsProgram += ProgramIsChangingControls() ? 1 : 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    };
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TalvexTestParent";
    RegisterClassA(&wc);
    HWND parent = CreateWindowA("TalvexTestParent", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));
    HWND edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent,
                              reinterpret_cast<HMENU>(1), wc.hInstance, nullptr);
    Win32Control control(edit);
    control.SetText("42");
    EXPECT_EQ(control.Text(), "42");
    EXPECT_EQ(seen.changes, 1);
    EXPECT_EQ(seen.markedAsProgram, 1);
    EXPECT_FALSE(ProgramIsChangingControls());
    SendMessageA(edit, WM_CHAR, '7', 1); // a user's keystroke
    EXPECT_EQ(seen.changes, 2);
    EXPECT_EQ(seen.markedAsProgram, 1);
    DestroyWindow(parent);
}

// Clicks a button of the modal form from another thread once the form is up.
std::thread ClickWhenShown(const char* caption, const char* buttonText) {
    // Again and again until the form is gone: a click that lands while the form is still coming
    // up can be lost, and the form would then wait for ever.
    return std::thread([=] {
        bool seen = false;
        for (int i = 0; i < 1500; ++i) {
            HWND form = FindWindowA("TalvexModalForm", caption);
            if (!form) {
                if (seen) return;
                Sleep(10);
                continue;
            }
            seen = true;
            if (!buttonText) {
                PostMessageA(form, WM_CLOSE, 0, 0);
            } else if (HWND button = FindWindowExA(form, nullptr, "Button", buttonText)) {
                PostMessageA(button, BM_CLICK, 0, 0);
            }
            Sleep(100);
        }
    });
}

// A main window destroyed by an earlier test leaves its WM_QUIT in this thread's queue; a modal
// loop rightly gives way to it, so start from an empty queue.
void DrainThreadQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(ModalForm, ReturnsTheButtonThatClosedItOrZero) {
    DrainThreadQueue();
    constexpr ChildLayout children[] = {
        {IDYES, "BUTTON", "YES", BS_DEFPUSHBUTTON | WS_TABSTOP, {1800, 960, 1215, 375}},
        {IDNO, "BUTTON", "NO", BS_PUSHBUTTON | WS_TABSTOP, {3360, 960, 1215, 375}},
    };
    HWND other = CreateWindowA("STATIC", "other", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
    std::thread clicker = ClickWhenShown("Question", "NO");
    EXPECT_EQ(RunModalForm({"Question", 6315, 1485, children}), IDNO);
    clicker.join();
    clicker = ClickWhenShown("Question", nullptr);
    EXPECT_EQ(RunModalForm({"Question", 6315, 1485, children}), 0);
    clicker.join();
    EXPECT_TRUE(IsWindowEnabled(other)); // enabled again after the form closed
    DestroyWindow(other);
}

TEST(ModalForm, GivesWayToAQuitRequestAndPassesItOn) {
    DrainThreadQueue();
    constexpr ChildLayout children[] = {
        {IDOK, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {2280, 840, 1215, 375}},
    };
    PostQuitMessage(3);
    EXPECT_EQ(RunModalForm({"Quitting", 5775, 1380, children}), 0);
    EXPECT_EQ(FindWindowA("TalvexModalForm", "Quitting"), nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(Layout, LengthsScaleWithTheForcedDpi) {
    _putenv_s("TALVEX_DPI", "144");
    {
        Form1Window window;
        RECT client{};
        GetClientRect(reinterpret_cast<HWND>(window.hWnd()), &client);
        EXPECT_EQ(client.right, 576);
        EXPECT_EQ(client.bottom, 671);
    }
    _putenv_s("TALVEX_DPI", "");
}

} // namespace
} // namespace talvex::win32
