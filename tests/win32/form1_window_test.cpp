// The Win32 layer under Wine: the real main window, controls, menu and modal forms.
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "platform/win32/form1_window.h"
#include "platform/win32/layout.h"
#include "platform/win32/modal_form.h"
#include "shell/form1.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

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
