// The process's window, menu, icon, GDI and kernel objects stay flat under Wine through many
// cycles of what a user does with the real main window on the real registry and DriverAgent.dll.
#include "hardware/timing.h"
#include "gui/form1_window.h"
#include "platform/win32/registry_win32.h"
#include "gui/win32_services.h"
#include "shell/form1.h"

#include <gtest/gtest.h>

#include <winternl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace talvex::win32 {
namespace {

// --- Counting what the process holds ---
//
// Wine 8 keeps neither of the usual counters: GetGuiResources answers 0 for GR_USEROBJECTS and
// GR_GDIOBJECTS alike, and GetProcessHandleCount succeeds with a count of 0. The counts below
// come from what Wine does maintain, each of which grows by one for one object created:
// - kernel handles (registry keys, events, files, the library): the system handle list, which
//   wineserver answers from every process's handle table;
// - GDI objects (fonts, brushes, bitmaps, regions, DCs): the GDI handle table Wine keeps per
//   process and publishes as the PEB's GdiSharedHandleTable, a used entry having a type;
// - USER objects: the windows of the process (top-level, message-only and every child), and the
//   menus and icons or cursors, found through the process's own user handle table. A user handle
//   is an index into that table; a handle with a zero high word names the entry whatever its
//   generation, and the menu and icon lookups answer from the process's own entries alone.

struct ObjectCounts {
    int windows = 0;
    int menus = 0;
    int icons = 0;
    int gdi = 0;
    int kernel = 0;
    int user() const { return windows + menus + icons; }
    bool operator==(const ObjectCounts&) const = default;
};

std::string Describe(const ObjectCounts& c) {
    char text[160];
    std::snprintf(text, sizeof text, "USER %d (windows %d, menus %d, icons %d), GDI %d, handles %d",
                  c.user(), c.windows, c.menus, c.icons, c.gdi, c.kernel);
    return text;
}

int KernelHandles() {
    // SystemHandleInformation and its entries (ntdll's, not in the headers).
    constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    struct Entry {
        ULONG process;
        UCHAR type, flags;
        USHORT value;
        PVOID object;
        ACCESS_MASK access;
    };
    struct List {
        ULONG count;
        Entry entries[1];
    };
    using Query = NTSTATUS(WINAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    constexpr auto kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    std::vector<ULONGLONG> buffer(1 << 16); // 8-byte aligned, as the entries need
    ULONG length = 0;
    NTSTATUS status;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size() * sizeof buffer[0]), &length)) ==
           kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) return -1;
    const auto* list = reinterpret_cast<const List*>(buffer.data());
    int mine = 0;
    for (ULONG i = 0; i < list->count; ++i)
        mine += list->entries[i].process == GetCurrentProcessId() ? 1 : 0;
    return mine;
}

int GdiObjects() {
    struct Entry { // GDI_HANDLE_ENTRY
        ULONGLONG object;
        ULONG owner;
        USHORT unique;
        UCHAR type, flags;
        ULONGLONG user;
    };
    constexpr int kEntries = 0x10000;
    constexpr std::size_t kGdiSharedHandleTable = 0xF8; // its offset in the 64-bit PEB
    using QueryProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return -1;
    const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const Entry* const*>(peb + kGdiSharedHandleTable);
    if (!table) return -1;
    int used = 0;
    for (int i = 0; i < kEntries; ++i)
        used += table[i].type != 0 ? 1 : 0;
    return used;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountOwnWindowAndChildren(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, CountChild, count); // every level below
    return TRUE;
}

int Windows() {
    int count = 0;
    EnumWindows(CountOwnWindowAndChildren, reinterpret_cast<LPARAM>(&count));
    for (HWND window = nullptr; (window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr));)
        CountOwnWindowAndChildren(window, reinterpret_cast<LPARAM>(&count));
    return count;
}

void MenusAndIcons(ObjectCounts& counts) {
    constexpr UINT_PTR kFirstUserHandle = 0x20;
    constexpr int kUserHandles = (0xFFEF - 0x20 + 1) / 2;
    using IconSize = BOOL(WINAPI*)(HICON, UINT, LONG*, LONG*);
    static const auto iconSize = reinterpret_cast<IconSize>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("win32u.dll"), "NtUserGetIconSize")));
    for (int index = 0; index < kUserHandles; ++index) {
        const UINT_PTR handle = kFirstUserHandle + 2 * static_cast<UINT_PTR>(index);
        if (IsMenu(reinterpret_cast<HMENU>(handle))) ++counts.menus;
        LONG width = 0, height = 0;
        if (iconSize && iconSize(reinterpret_cast<HICON>(handle), 0, &width, &height))
            ++counts.icons;
    }
}

ObjectCounts Count() {
    ObjectCounts counts;
    counts.windows = Windows();
    MenusAndIcons(counts);
    counts.gdi = GdiObjects();
    counts.kernel = KernelHandles();
    return counts;
}

// The counters themselves: each sees one object of its kind come and go.
TEST(ObjectCounts, EachCounterSeesOneObjectOfItsKind) {
    // The thread's first window brings the thread's own (the IME window, user32's handles), and the
    // first use of HKEY_LOCAL_MACHINE opens the root key for good.
    HWND anchor = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key);
    RegCloseKey(key);
    const ObjectCounts before = Count();
    ASSERT_GE(before.gdi, 0);
    ASSERT_GE(before.kernel, 0);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HMENU menu = CreatePopupMenu();
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND child =
        CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 5, 5, window, nullptr, nullptr, nullptr);
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key);
    const BYTE andMask[32] = {}, xorMask[32] = {};
    HICON icon = CreateIcon(nullptr, 16, 16, 1, 1, andMask, xorMask);
    const ObjectCounts during = Count();
    DestroyIcon(icon);
    RegCloseKey(key);
    DestroyWindow(child);
    DestroyWindow(window);
    DestroyMenu(menu);
    DeleteObject(brush);
    EXPECT_EQ(during.windows, before.windows + 2) << Describe(during);
    EXPECT_EQ(during.menus, before.menus + 1) << Describe(during);
    EXPECT_EQ(during.icons, before.icons + 1) << Describe(during);
    EXPECT_GT(during.gdi, before.gdi) << Describe(during); // the brush, and the icon's bitmaps
    EXPECT_EQ(during.kernel, before.kernel + 1) << Describe(during);
    EXPECT_EQ(Count(), before) << Describe(Count());
    DestroyWindow(anchor);
}

// --- The program, its waits taken out ---

constexpr char kCard[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)";
constexpr char kDriver[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1)";
constexpr char kParameters[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters)";

// The hardware procedures' 1 ms sleeps return at once; the clock is the real one.
class NoWaitTiming final : public HardwareTiming {
  public:
    void Sleep(uint32_t) override {}
    std::chrono::microseconds Now() override {
        return std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

// The program's own services but for the waits: the run's pacing returns at once, the warning
// before a run is answered Yes without a box, and the real restart question is answered NO by
// pressing its button. Any other message is kept: a cycle should raise none.
class QuickServices : public Win32Services {
  public:
    using Win32Services::Win32Services;
    ~QuickServices() override { SetTiming(nullptr); }

    MsgBoxResult MsgBox(const std::string& text, const std::string&, MsgBoxStyle style) override {
        if (style == MsgBoxStyle::ExclamationYesNo) return MsgBoxResult::Yes;
        unexpected.push_back(text);
        return MsgBoxResult::Ok;
    }
    bool ShowRebootDialog() override {
        const UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, PressNo);
        const bool yes = Win32Services::ShowRebootDialog();
        KillTimer(nullptr, timer);
        ++rebootQuestions;
        return yes;
    }
    void Sleep(std::uint32_t) override {}
    // Loading the library installs the Win32 timing; the quick one replaces it.
    bool LoadDriverAgent() override {
        const bool loaded = Win32Services::LoadDriverAgent();
        SetTiming(&timing_);
        return loaded;
    }

    std::vector<std::string> unexpected;
    int rebootQuestions = 0;

  private:
    static void CALLBACK PressNo(HWND, UINT, UINT_PTR, DWORD) {
        if (HWND form = FindWindowA("TalvexModalForm", nullptr))
            if (HWND no = FindWindowExA(form, nullptr, "Button", "NO"))
                SendMessageA(no, BM_CLICK, 0, 0);
    }
    NoWaitTiming timing_;
};

void SetDword(const char* key, const char* name, DWORD value) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, name, REG_DWORD, &value, sizeof value);
}

void SetString(const char* key, const char* name, const char* text) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, name, REG_SZ, text,
                    static_cast<DWORD>(std::strlen(text) + 1));
}

class ObjectCountsProgram : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        SetString(kCard, "Title", "Talvex Adapter");
        SetString(kCard, "ProductName", "TVR8Q");
        SetString(kCard, "ServiceName", "TVR8Q1");
        SetDword(kParameters, "ConnectionType", 0);
        SetDword(kParameters, "RxBuffer", 32);
        SetDword(kParameters, "TxBuffer", 32);
        SetDword(kParameters, "TxStartThreshold", 512);
        SetDword(kParameters, "EnableTagging", 1);
        SetDword(kParameters, "EnableGVRP", 0);
        SetDword(kParameters, "VLANID", 10);
        SetDword(kParameters, "BaseAddress", 0x300);
    }
    static void TearDownTestSuite() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCard);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kDriver);
    }

    HWND Main() const { return reinterpret_cast<HWND>(window.hWnd()); }
    HWND Page(const char* name) const {
        return FindWindowExA(Main(), nullptr, kPageClassName, name);
    }
    HWND Button(HWND parent, const char* text) const {
        return FindWindowExA(parent, nullptr, "Button", text);
    }

    // What the main loop does with every message waiting.
    void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue; // a main window of an earlier test
            if (window.PreTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    void TrayClick() {
        SendMessageA(Main(), kTrayCallbackMessage, 0, WM_LBUTTONUP);
        Pump();
    }
    void ClickTab(int tab) {
        HWND strip = FindWindowExA(Main(), nullptr, WC_TABCONTROLA, nullptr);
        RECT item{};
        SendMessageA(strip, TCM_GETITEMRECT, static_cast<WPARAM>(tab),
                     reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(strip, WM_LBUTTONUP, 0, at);
        Pump();
    }
    // Ctrl+Shift+D, as the main loop meets it.
    void DiagnosticShortcut() {
        BYTE keys[256] = {}, held[256] = {};
        GetKeyboardState(keys);
        std::memcpy(held, keys, sizeof keys);
        held[VK_CONTROL] = held[VK_SHIFT] = 0x80;
        SetKeyboardState(held);
        MSG msg{Main(), WM_KEYDOWN, 'D', 0, 0, {}};
        EXPECT_TRUE(window.PreTranslate(msg));
        SetKeyboardState(keys);
        Pump();
    }
    void Click(HWND button) {
        SendMessageA(button, BM_CLICK, 0, 0);
        Pump();
    }
    void Type(HWND edit, const std::string& text) {
        SendMessageA(edit, EM_SETSEL, 0, -1);
        for (char c : text)
            SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
        Pump();
    }
    // The Advanced page's value of the named property, typed in.
    void EditProperty(const char* property, const std::string& value) {
        HWND list = GetDlgItem(Page("Advanced"), kIdAdvAdaptInfo);
        const LRESULT row = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(property));
        ASSERT_GE(row, 0) << property;
        SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
        for (LRESULT i = 0; i < row; ++i)
            SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
        Type(GetDlgItem(Page("Advanced"), kIdAdvKeyValueText), value);
    }

    void Cycle(int n) {
        TrayClick(); // shown
        TrayClick(); // hidden
        TrayClick(); // shown
        for (int tab = 3; tab >= 0; --tab)
            ClickTab(tab);
        DiagnosticShortcut();
        Click(Button(Page("Diagnostic"), "Start Test"));

        ClickTab(1);
        EditProperty("Receive Buffers", n % 2 ? "64" : "32");
        EditProperty("NetworkAddress", n % 2 ? "0012" : "02AA"); // the tip shows: not 12 digits
        ClickTab(2);
        Type(GetDlgItem(Page("VLAN"), kIdVlanId), n % 2 ? "11" : "10");
        Click(Button(Main(), "OK")); // the restart question, answered NO; hidden

        TrayClick();
        ClickTab(1);
        EditProperty("Transmit Buffers", "48");
        Click(Button(Main(), "Cancel")); // read again; hidden
    }

    SingleInstanceMark mark;
    QuickServices services{mark};
    Win32Registry registry;
    Form1Window window;
    Form1Controls controls = window.Controls();
    Form1 form{controls, services, registry};
};

TEST_F(ObjectCountsProgram, TwoHundredCyclesOfEveryActionLeaveTheCountsAsAfterTheFirst) {
    window.Attach(form);
    ASSERT_TRUE(form.InitializeWindow());
    window.AddTrayIcon();
    Pump();
    Cycle(0); // warm-up: the fonts, pictures, tips and library come into being here
    const ObjectCounts warm = Count();
    const auto start = std::chrono::steady_clock::now();
    constexpr int kCycles = 200;
    for (int n = 1; n <= kCycles; ++n)
        Cycle(n);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    const ObjectCounts after = Count();
    std::printf("after the warm-up cycle: %s\nafter %d more cycles:   %s\n(%lld ms)\n",
                Describe(warm).c_str(), kCycles, Describe(after).c_str(),
                static_cast<long long>(took.count()));

    // The cycles really ran: each asked the restart question once, raised no other message,
    // and the last run passed every test.
    EXPECT_EQ(services.rebootQuestions, kCycles + 1);
    EXPECT_TRUE(services.unexpected.empty()) << services.unexpected.front();
    for (int item = 1; item <= 3; ++item)
        EXPECT_EQ(controls.diag.lvwBasicDiag->SubItem(item, 2), "Pass") << item;
    EXPECT_EQ(after, warm) << "after the warm-up: " << Describe(warm)
                           << "\nafter the cycles:  " << Describe(after);
    form.TerminateWindow();
}

} // namespace
} // namespace talvex::win32
