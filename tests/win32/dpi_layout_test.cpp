// Every page at 100 %, 150 % and 200 %, and after the window moves to a denser monitor: each
// control stays inside its page and the page inside the window, and every label's text fits in
// its label. It looks at whatever the page frames hold, so it covers every page.
#include "gui/form1_window.h"
#include "gui/general_page_window.h"
#include "gui/modal_form.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "platform/win32/layout.h"
#include "shell/form1.h"
#include "tests/win32/window_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace talvex::win32 {
namespace {

RECT RectIn(HWND child, HWND parent) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// A static control that shows text (not an icon, picture or line).
bool IsTextLabel(HWND hwnd) {
    if (Class(hwnd) != "Static" || Text(hwnd).empty()) return false;
    const auto type = GetWindowLongPtrA(hwnd, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP ||
           type == SS_SIMPLE;
}

// The size the label's text needs in its own font, wrapped at its width as a label wraps it.
SIZE TextNeeds(HWND label) {
    RECT client{};
    GetClientRect(label, &client);
    const std::string text = Text(label);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, client.right, 0};
    DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return {needed.right, needed.bottom};
}

// Checks every page frame of the window; returns how many controls it looked at.
int CheckPages(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    int controls = 0;
    for (HWND page = FindWindowExA(window, nullptr, kPageClassName, nullptr); page;
         page = FindWindowExA(window, page, kPageClassName, nullptr)) {
        EXPECT_TRUE(Inside(RectIn(page, window), client)) << "page " << Text(page);
        RECT area{};
        GetClientRect(page, &area);
        for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            ++controls;
            const std::string name = Text(page) + ": " + Class(child) + " \"" + Text(child) +
                                     "\" id " + std::to_string(GetDlgCtrlID(child));
            EXPECT_TRUE(Inside(RectIn(child, page), area)) << name << " reaches outside its page";
            if (!IsTextLabel(child)) continue;
            RECT box{};
            GetClientRect(child, &box);
            const SIZE needs = TextNeeds(child);
            EXPECT_LE(needs.cx, box.right) << name << " is wider than its label";
            EXPECT_LE(needs.cy, box.bottom) << name << " is taller than its label";
        }
    }
    return controls;
}

class DpiLayout : public testing::TestWithParam<int> {
  protected:
    void SetUp() override { _putenv_s("TALVEX_DPI", std::to_string(GetParam()).c_str()); }
    void TearDown() override { _putenv_s("TALVEX_DPI", ""); }
};

TEST_P(DpiLayout, EveryControlStaysOnItsPageAndEveryLabelFits) {
    Form1Window window;
    window.SetVisible(true); // the pages' fonts are made for being seen
    HWND hwnd = reinterpret_cast<HWND>(window.hWnd());
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, TwipsToPixels(5760, GetParam()));
    EXPECT_EQ(client.bottom, TwipsToPixels(6705, GetParam()));
    EXPECT_GT(CheckPages(hwnd), 20);
}

// Every line the General page can give a change that waits or was put back, any values of it:
// each fits its label.
TEST_P(DpiLayout, EveryChangeLineFitsItsLabel) {
    Form1Window window;
    window.SetVisible(true);
    HWND general = FindWindowExA(reinterpret_cast<HWND>(window.hWnd()), nullptr, kPageClassName,
                                 "General");
    HWND line = GetDlgItem(general, GeneralPageWindow::kIdLblChange);
    ASSERT_NE(line, nullptr);
    RECT box{};
    GetClientRect(line, &box);
    MemoryServices services;
    services.utcMs = 1893455999000; // 2029-12-31 23:59:59, the widest digits
    services.sinceStartMs = 1000;
    int lines = 0;
    for (unsigned set = 1; set < (1u << kParamCount); ++set) {
        PendingChange change{ChangeState::Applied, "TVR8Q1", 0, 1440, {}, {}};
        LastRevert revert{1893455999, {}, ""};
        for (std::size_t i = 0; i < kParamCount; ++i) {
            if (!(set & (1u << i))) continue;
            change.values.push_back({static_cast<Param>(i), std::nullopt, DwordValue(1)});
            revert.values.emplace_back(DriverParameters()[i].valueName);
        }
        std::vector<std::string> texts = {ChangeStateText(std::nullopt, revert, services)};
        for (const ChangeState state : {ChangeState::Applied, ChangeState::Reverting}) {
            change.state = state;
            texts.push_back(ChangeStateText(change, revert, services));
            change.setAt = 1893455999; // after the start: no deadline known
            texts.push_back(ChangeStateText(change, revert, services));
            change.setAt = 0;
        }
        for (const std::string& text : texts) {
            SetWindowTextA(line, text.c_str());
            const SIZE needs = TextNeeds(line);
            ++lines;
            EXPECT_LE(needs.cx, box.right) << text;
            EXPECT_LE(needs.cy, box.bottom) << text;
        }
    }
    EXPECT_EQ(lines, 255 * 5);
}

INSTANTIATE_TEST_SUITE_P(Scales, DpiLayout, testing::Values(96, 144, 192),
                         [](const auto& info) { return std::to_string(info.param) + "dpi"; });

// What Windows sends when the window is dragged to a monitor of another density.
void MoveToDpi(HWND hwnd, int dpi) {
    RECT suggested{};
    GetWindowRect(hwnd, &suggested);
    SendMessageA(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST(DpiChange, EverythingIsLaidOutAgainFromTheTablesAtTheNewDpi) {
    Form1Window window;
    window.SetVisible(true);
    HWND hwnd = reinterpret_cast<HWND>(window.hWnd());
    HWND page = FindWindowExA(hwnd, nullptr, kPageClassName, "Support");
    ASSERT_NE(page, nullptr);
    HWND firstOnPage = GetWindow(page, GW_CHILD);
    const int dpi = WindowDpi(hwnd);
    const RECT before = RectIn(firstOnPage, page);

    MoveToDpi(hwnd, dpi * 2);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, TwipsToPixels(5760, dpi * 2));
    EXPECT_EQ(client.bottom, TwipsToPixels(6705, dpi * 2));
    EXPECT_EQ(RectIn(page, hwnd).left, TwipsToPixels(240, dpi * 2));
    const RECT after = RectIn(firstOnPage, page);
    EXPECT_NEAR(after.left, before.left * 2, 1);
    EXPECT_NEAR(after.right - after.left, (before.right - before.left) * 2, 1);
    // The font grew with the layout.
    LOGFONTA used{}, expected{};
    HWND tabs = FindWindowExA(hwnd, nullptr, WC_TABCONTROLA, nullptr);
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(tabs, WM_GETFONT, 0, 0)), sizeof used, &used);
    ScopedFont font = CreateMessageFont(dpi * 2);
    GetObjectA(font.get(), sizeof expected, &expected);
    EXPECT_EQ(used.lfHeight, expected.lfHeight);
    // So did the test list's columns, which are lengths too.
    HWND diag = FindWindowExA(hwnd, nullptr, kPageClassName, "Diagnostic");
    HWND list = FindWindowExA(diag, nullptr, WC_LISTVIEWA, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), TwipsToPixels(1900, dpi * 2));
    CheckPages(hwnd);

    MoveToDpi(hwnd, dpi); // and back
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, TwipsToPixels(5760, dpi));
    const RECT back = RectIn(firstOnPage, page);
    EXPECT_TRUE(EqualRect(&before, &back));
}

TEST(DpiChange, ADialogIsLaidOutAgainWhileItIsOpen) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    } // a quit left by an earlier test would close the dialog at once
    constexpr ChildLayout children[] = {
        {IDOK, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {2280, 840, 1215, 375}},
    };
    RECT button{}, client{};
    int dpi = 0;
    std::thread mover([&] {
        HWND form = nullptr;
        for (int i = 0; i < 500 && !(form = FindWindowA("TalvexModalForm", "Denser")); ++i)
            Sleep(10);
        if (!form) return;
        dpi = WindowDpi(form);
        MoveToDpi(form, dpi * 2); // sent: handled by the dialog's own loop before it returns
        GetWindowRect(GetDlgItem(form, IDOK), &button);
        GetClientRect(form, &client);
        PostMessageA(GetDlgItem(form, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(RunModalForm({"Denser", 5775, 1380, children}), IDOK);
    mover.join();
    ASSERT_GT(dpi, 0);
    EXPECT_EQ(button.right - button.left, TwipsToPixels(1215, dpi * 2));
    EXPECT_EQ(client.right, TwipsToPixels(5775, dpi * 2));
    EXPECT_EQ(client.bottom, TwipsToPixels(1380, dpi * 2));
}

} // namespace
} // namespace talvex::win32
