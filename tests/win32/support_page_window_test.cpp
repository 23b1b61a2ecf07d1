// The Support page's Win32 controls under Wine: each flag's tooltip and click reach the right
// country.
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "gui/form1_window.h"
#include "gui/support_page_window.h"
#include "shell/form1.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace talvex::win32 {
namespace {

constexpr const char* kCountries[] = {
    "Australia", "Canada", "China",     "Denmark", "Egypt",  "France",         "Germany",
    "India",     "Japan",  "Singapore", "Sweden",  "Taiwan", "United Kingdom", "USA"};

// The flags in the order of their ids, which is the grid's alphabetical order.
std::vector<HWND> Flags(HWND page) {
    std::vector<HWND> flags;
    for (int id = SupportPageWindow::kIdImgAustralia; id <= SupportPageWindow::kIdImgUSA; ++id)
        flags.push_back(GetDlgItem(page, id));
    return flags;
}

// The tooltip control that holds the flag as a tool: the window's other pages have tooltip
// controls of their own.
HWND TooltipsOf(HWND page, HWND flag) {
    struct Search {
        HWND page, flag, found;
    } search{page, flag, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) {
            auto* s = reinterpret_cast<Search*>(param);
            char name[64] = {};
            GetClassNameA(hwnd, name, sizeof name);
            if (std::string(name) != TOOLTIPS_CLASSA) return TRUE;
            TTTOOLINFOA info{};
            info.cbSize = sizeof info;
            info.hwnd = s->page;
            info.uId = reinterpret_cast<UINT_PTR>(s->flag);
            if (!SendMessageA(hwnd, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)))
                return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The tooltip text of the tool that is the given window.
std::string TooltipOf(HWND tooltips, HWND page, HWND tool) {
    char text[80] = {};
    TTTOOLINFOA info{};
    info.cbSize = sizeof info;
    info.hwnd = page;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    SendMessageA(tooltips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
    return text;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

TEST(SupportPageWindow, EachFlagNamesItsCountryAndItsClickOpensItsOwnSite) {
    MemoryRegistry registry;
    MemoryServices services;
    Form1Window window;
    Form1 form{window.Controls(), services, registry};
    window.Attach(form);
    HWND page =
        FindWindowExA(reinterpret_cast<HWND>(window.hWnd()), nullptr, kPageClassName, "Support");
    ASSERT_NE(page, nullptr);
    const std::vector<HWND> flags = Flags(page);
    ASSERT_FALSE(flags.empty());
    HWND tooltips = TooltipsOf(page, flags[0]);
    ASSERT_NE(tooltips, nullptr);
    EXPECT_EQ(SendMessageA(tooltips, TTM_GETTOOLCOUNT, 0, 0), 14);

    std::set<std::string> sites;
    for (size_t i = 0; i < flags.size(); ++i) {
        ASSERT_NE(flags[i], nullptr) << kCountries[i];
        EXPECT_EQ(TooltipOf(tooltips, page, flags[i]), kCountries[i]);
        services.shellCalls.clear();
        PostMessageA(flags[i], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(flags[i], WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Pump();
        ASSERT_EQ(services.shellCalls.size(), 1u) << kCountries[i];
        EXPECT_EQ(services.shellCalls[0].owner, window.hWnd());
        sites.insert(services.shellCalls[0].file);
        if (std::string(kCountries[i]) == "Egypt") {
            EXPECT_EQ(services.shellCalls[0].file, "www.talvex-me.com");
        }
    }
    EXPECT_EQ(sites.size(), flags.size());

    // A press that ends outside the flag is no click.
    services.shellCalls.clear();
    PostMessageA(flags[0], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(flags[0], WM_LBUTTONUP, 0, MAKELPARAM(-20, 5));
    Pump();
    EXPECT_TRUE(services.shellCalls.empty());
}

} // namespace
} // namespace talvex::win32
