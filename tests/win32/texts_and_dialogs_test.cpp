// What the user reads and answers: every label and caption of the pages and dialogs, the
// restart question's keys, and the real message boxes under Wine.
#include "diag/diag_page.h"
#include "gui/dialogs.h"
#include "gui/form1_window.h"
#include "gui/win32_services.h"
#include "talvex_version.h"
#include "tests/win32/window_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace talvex::win32 {
namespace {

using Texts = std::vector<std::string>;

// The texts a user reads on a window or page: labels, button and box captions, and the
// read-only multi-line box the VLAN page uses as a description.
Texts ReadableTexts(HWND parent) {
    Texts texts;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string name = Class(child);
        const bool description =
            name == "Edit" && (GetWindowLongA(child, GWL_STYLE) & ES_MULTILINE);
        if ((name == "Static" || name == "Button" || description) && !Text(child).empty())
            texts.push_back(Text(child));
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

Texts Sorted(Texts texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

constexpr char kTitle[] = "Talvex Adapter Configuration";

// Runs a modal dialog of the program on this thread while another thread looks at it once it is
// shown, with all its controls, and then answers it.
template <typename Result>
Result WithDialog(const char* className, const char* title, const std::function<Result()>& show,
                  const std::function<void(HWND)>& answer) {
    std::thread helper([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 1500; ++i) {
            dialog = FindWindowA(className, title);
            if (dialog && IsWindowVisible(dialog)) break;
            Sleep(10);
        }
        if (dialog) answer(dialog);
    });
    const Result result = show();
    helper.join();
    return result;
}

HWND FocusIn(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 1500; ++i) {
        if (condition()) return true;
        Sleep(10);
    }
    return false;
}

bool IsDefault(HWND button) {
    return (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// A main window destroyed by an earlier test leaves its WM_QUIT in this thread's queue, which a
// modal loop rightly gives way to.
void DrainThreadQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(Texts, EveryPageAndDialogReadsExactlyAsWritten) {
    struct Expected {
        const char* where;
        Texts texts;
    };
    const Expected expected[] = {
        {"", {"OK", "Cancel"}},
        {"General", {"Host  Name:", "Current  MAC  Address:", "IP  Address:", "Keep"}},
        {"Advanced",
         {"Click the properties you want to change on the left,and then select its new value on "
          "the right.",
          "Properties:", "Value:"}},
        {"VLAN",
         {"  Enable  Virtual  LAN", " Enable GVRP",
          "VLAN ID:", "VLAN ID is use to identify the Virtual LAN Group."}},
        {"Support",
         {"Popular Web Site for Talvex", "Talvex Adapter Configuration , Version " TALVEX_VERSION,
          "Copyright (C) Talvex Corporation. All rights reserved."}},
        {"Diagnostic",
         {"Diagnostic can find what problem your network adapter have.", "Basic Diagnostic:",
          "Test Count:", "Start Test", "Stop Test", "Permanent  MAC  Address :"}},
        {"restart",
         {"After you chagne the setting of adapter, you must reboot the system. Do you want to "
          "reboot system now?",
          "YES", "NO"}},
        {"no adapter", {"No network adapter. Program will terminate.", "OK"}},
    };
    std::vector<std::pair<std::string, Texts>> shown;
    {
        Form1Window window;
        HWND main = reinterpret_cast<HWND>(window.hWnd());
        EXPECT_EQ(Text(main), kTitle);
        shown.emplace_back("", ReadableTexts(main));
        for (HWND page = FindWindowExA(main, nullptr, kPageClassName, nullptr); page;
             page = FindWindowExA(main, page, kPageClassName, nullptr))
            shown.emplace_back(Text(page), ReadableTexts(page));

        HWND tabs = FindWindowExA(main, nullptr, WC_TABCONTROLA, nullptr);
        Texts tabCaptions;
        for (int tab = 0; tab < 4; ++tab) {
            char text[64] = {};
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(tab),
                         reinterpret_cast<LPARAM>(&item));
            tabCaptions.emplace_back(text);
        }
        EXPECT_EQ(tabCaptions, (Texts{"General", "Advanced", "Virtual LAN", "Support"}));
        EXPECT_EQ(Text(FindWindowExA(main, nullptr, WC_COMBOBOXA, nullptr)),
                  "Select a network adapter");
    }
    DrainThreadQueue();
    const auto readDialog = [&](const char* where) {
        return [&shown, where](HWND dialog) {
            EXPECT_EQ(Text(dialog), kTitle) << where;
            shown.emplace_back(where, ReadableTexts(dialog));
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        };
    };
    WithDialog<bool>("TalvexModalForm", kTitle, ShowRebootDialog, readDialog("restart"));
    WithDialog<bool>(
        "TalvexModalForm", kTitle,
        [] {
            ShowNoAdapterFoundDialog();
            return true;
        },
        readDialog("no adapter"));

    ASSERT_EQ(shown.size(), std::size(expected));
    for (const Expected& want : expected) {
        const auto found = std::find_if(shown.begin(), shown.end(),
                                        [&](const auto& seen) { return seen.first == want.where; });
        ASSERT_NE(found, shown.end()) << want.where;
        EXPECT_EQ(found->second, Sorted(want.texts)) << want.where;
    }
}

// Keys go to the focused button, as typed; each row ends with the answer they give.
TEST(RestartQuestion, FocusStartsOnYesTheDefaultBorderFollowsItAndEscapeIsNoRestart) {
    struct Row {
        std::vector<WPARAM> keys;
        bool restart;
    };
    const Row rows[] = {
        {{VK_RETURN}, true},  {{VK_TAB, VK_RETURN}, false}, {{VK_TAB, VK_TAB, VK_RETURN}, true},
        {{VK_ESCAPE}, false}, {{VK_TAB, VK_ESCAPE}, false},
    };
    for (const Row& row : rows) {
        DrainThreadQueue();
        const bool restart =
            WithDialog<bool>("TalvexModalForm", kTitle, ShowRebootDialog, [&](HWND dialog) {
                HWND yes = GetDlgItem(dialog, IDYES), no = GetDlgItem(dialog, IDNO);
                EXPECT_TRUE(WaitFor([&] { return FocusIn(dialog) == yes; }));
                EXPECT_TRUE(IsDefault(yes));
                EXPECT_FALSE(IsDefault(no));
                for (WPARAM key : row.keys) {
                    HWND focus = FocusIn(dialog);
                    PostMessageA(focus, WM_KEYDOWN, key, 1);
                    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
                    if (key != VK_TAB) continue;
                    HWND next = focus == yes ? no : yes;
                    EXPECT_TRUE(WaitFor([&] { return FocusIn(dialog) == next; }));

                    EXPECT_TRUE(WaitFor([&] { return IsDefault(next) && !IsDefault(focus); }));
                }
            });
        EXPECT_EQ(restart, row.restart) << "after " << row.keys.size() << " keys";
        EXPECT_EQ(FindWindowA("TalvexModalForm", kTitle), nullptr);
    }
}

// Every message the program shows, through the program's own message box: the real box's icon,
// buttons and default button, while the thread's other windows take no input.
TEST(MessageBoxes, EachMessageHasItsIconButtonsAndDefault) {
    struct Message {
        const char* text;
        const char* title;
        MsgBoxStyle style;
        LPCSTR icon;
        std::vector<int> buttons;
        int defaultButton;
    };
    const Message messages[] = {
        {"Another version of your application is running.",
         "Alert",
         MsgBoxStyle::InformationOk,
         IDI_ASTERISK,
         {IDOK},
         IDOK},
        {"VLAN ID Invalid.", "Alert", MsgBoxStyle::CriticalOk, IDI_HAND, {IDOK}, IDOK},
        {"Receive Buffers must be a whole number. The Advanced settings were not saved.",
         "Alert",
         MsgBoxStyle::CriticalOk,
         IDI_HAND,
         {IDOK},
         IDOK},
        {kDiagWarning,
         kTitle,
         MsgBoxStyle::ExclamationYesNo,
         IDI_EXCLAMATION,
         {IDYES, IDNO},
         IDYES},
        {kDriverAgentNotLoaded, kTitle, MsgBoxStyle::CriticalOk, IDI_HAND, {IDOK}, IDOK},
        {kDiagComponentFailed, kTitle, MsgBoxStyle::CriticalOk, IDI_HAND, {IDOK}, IDOK},
        {"The Advanced settings could not be saved; the adapter keeps its previous settings. ",
         kTitle,
         MsgBoxStyle::CriticalOk,
         IDI_HAND,
         {IDOK},
         IDOK},
        {"Windows did not restart (error 5). The new settings take effect when you restart "
         "Windows yourself.",
         kTitle,
         MsgBoxStyle::InformationOk,
         IDI_ASTERISK,
         {IDOK},
         IDOK},
    };
    const SingleInstanceMark mark;
    Win32Services services(mark);
    HWND other = CreateWindowA("STATIC", "other", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
    for (const Message& message : messages) {
        DrainThreadQueue();
        const auto answer = WithDialog<MsgBoxResult>(
            "#32770", message.title,
            [&] { return services.MsgBox(message.text, message.title, message.style); },
            [&](HWND box) {
                EXPECT_FALSE(IsWindowEnabled(other)) << message.text;
                HWND icon = nullptr;
                std::string text;
                for (HWND child = GetWindow(box, GW_CHILD); child;
                     child = GetWindow(child, GW_HWNDNEXT)) {
                    if (Class(child) != "Static") continue;
                    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                        icon = child;
                    else if (!Text(child).empty())
                        text = Text(child);
                }
                EXPECT_EQ(text, message.text);
                EXPECT_NE(icon, nullptr) << message.text;
                EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)),
                          LoadIconA(nullptr, message.icon))
                    << message.text;
                for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
                    EXPECT_EQ(GetDlgItem(box, id) != nullptr,
                              std::count(message.buttons.begin(), message.buttons.end(), id) == 1)
                        << message.text << " button " << id;
                EXPECT_TRUE(IsDefault(GetDlgItem(box, message.defaultButton))) << message.text;
                EXPECT_TRUE(WaitFor([&] {
                    return FocusIn(box) == GetDlgItem(box, message.defaultButton);
                })) << message.text;
                PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(message.defaultButton), 0);
            });
        EXPECT_EQ(answer, message.defaultButton == IDYES ? MsgBoxResult::Yes : MsgBoxResult::Ok);
        EXPECT_TRUE(IsWindowEnabled(other));
    }
    DestroyWindow(other);
}

} // namespace
} // namespace talvex::win32
