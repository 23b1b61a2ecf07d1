// TalvexCtl.exe under Wine with the real registry and our DriverAgent.dll: show against what the
// pages show, set and its refusals against the key, diag and its exit statuses, and the hardware
// mark shared with the window's Diagnostic page.
#include "diag/diag_page.h"
#include "gui/advanced_page_window.h"
#include "gui/form1_window.h"
#include "gui/vlan_page_window.h"
#include "tests/e2e/console_driver.h"
#include "tests/e2e/diag_driver.h"
#include "tests/e2e/settings_driver.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <vector>

namespace talvex::e2e {
namespace {

using namespace win32;
using nlohmann::json;

// The characters of text as the ANSI functions store them, in the prefix's code page.
std::string Ansi(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    std::string ansi(static_cast<std::size_t>(size) * 2, '\0');
    ansi.resize(static_cast<std::size_t>(WideCharToMultiByte(
        CP_ACP, 0, text.data(), size, ansi.data(), size * 2, nullptr, nullptr)));
    return ansi;
}

// TalvexCtl.exe run in a console window whose code page lacks "é" (866, Cyrillic): what the
// window then shows, as UTF-8. The console the test writes to, or, when its output goes to a file
// or pipe, a console made for the run.
std::string ShownInAConsoleWindow(const std::string& args) {
    DWORD mode = 0;
    bool allocated = false;
    if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
        FreeConsole(); // the hidden one Wine gives a program whose output is redirected
        allocated = AllocConsole();
    }
    const UINT codePage = GetConsoleOutputCP();
    SetConsoleOutputCP(866);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE screen =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = screen;
    PROCESS_INFORMATION info{};
    const std::string exe = ProgramFolder() + "TalvexCtl.exe";
    std::string commandLine = "\"" + exe + "\" " + args;
    std::wstring shown;
    if (CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &info)) {
        WaitForSingleObject(info.hProcess, static_cast<DWORD>(kTimeout.count()));
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        CONSOLE_SCREEN_BUFFER_INFO buffer{};
        GetConsoleScreenBufferInfo(screen, &buffer);
        shown.resize(static_cast<std::size_t>(buffer.dwSize.X) * buffer.dwSize.Y);
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, shown.data(), static_cast<DWORD>(shown.size()), {0, 0},
                                    &read);
        shown.resize(read);
    }
    CloseHandle(screen);
    SetConsoleOutputCP(codePage);
    if (allocated) FreeConsole();
    std::string utf8(shown.size() * 3, '\0');
    utf8.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, shown.data(), static_cast<int>(shown.size()), utf8.data(),
                            static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

class Console : public testing::Test {
  protected:
    void SetUp() override {
        ClearNetworkCards();
        ClearParameters();
        SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
        SetParameter("ConnectionType", Dword(7)); // no entry in the list
        SetParameter("RxBuffer", Text("48"));     // a number stored as text
        SetParameter("TxBuffer", Dword(16));
        SetParameter("TxStartThreshold", Dword(2048)); // no entry either
        SetParameter("NetworkAddress", Text("02004C4F4F50"));
        SetParameter("EnableTagging", Dword(1));
        SetParameter("VLANID", Dword(5)); // EnableGVRP missing
        SeedBaseAddress("TVR8Q1", 0xE000);
    }
    void TearDown() override {
        SetEnvironmentVariableA("TALVEX_SIM_FAULTS", nullptr);
        ClearNetworkCards();
        ClearParameters();
    }
};

// What the Advanced page shows in its value editor for a property row.
std::string AdvancedShown(HWND window, int row) {
    HWND properties = PageControl(window, "Advanced", kIdAdvAdaptInfo);
    HWND list = PageControl(window, "Advanced", kIdAdvKeyValueList);
    HWND text = PageControl(window, "Advanced", kIdAdvKeyValueText);
    SelectRow(properties, row);
    WaitUntil([&] { return ListSelection(properties) == row; });
    if (row == 1 || row == 2 || row == 3) {
        WaitUntil([&] { return !WindowText(text).empty(); });
        return WindowText(text);
    }
    const int selected = ListSelection(list);
    return selected < 0 ? "no entry" : ComboItem(list, selected);
}

std::string CheckShown(HWND box) {
    switch (SendMessageA(box, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED: return "checked";
    case BST_INDETERMINATE: return "grayed";
    default: return "unchecked";
    }
}

TEST_F(Console, ShowJsonIsWhatThePagesShowAndWhatTheKeyHolds) {
    const Outcome show = RunCtl("show --json");
    ASSERT_EQ(show.status, 0) << show.err;
    const json document = json::parse(show.out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << show.out;
    EXPECT_EQ(document["schema"], 1);
    EXPECT_EQ(document["adapter"]["entry"], 1);
    EXPECT_EQ(document["adapter"]["service"], "TVR8Q1");
    EXPECT_EQ(document["adapter"]["title"], "Talvex Fast Ethernet Adapter");
    const json& settings = document["settings"];
    EXPECT_EQ(settings["RxBuffer"]["stored"], json({{"type", "REG_SZ"}, {"data", "48"}}));
    EXPECT_EQ(settings["TxStartThreshold"]["stored"],
              json({{"type", "REG_DWORD"}, {"data", 2048}}));
    EXPECT_TRUE(settings["EnableGVRP"]["stored"].is_null());

    App app;
    ASSERT_TRUE(app.Start());
    HWND window = app.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] {
        return SendMessageA(PageControl(window, "Advanced", kIdAdvAdaptInfo), LB_GETCOUNT, 0, 0) ==
               5;
    }));
    const char* rows[] = {"ConnectionType", "NetworkAddress", "RxBuffer", "TxBuffer",
                          "TxStartThreshold"};
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(settings[rows[row]]["shown"], AdvancedShown(window, row)) << rows[row];
    EXPECT_EQ(settings["EnableTagging"]["shown"],
              CheckShown(PageControl(window, "VLAN", kIdEnableVLAN)));
    EXPECT_EQ(settings["EnableGVRP"]["shown"],
              CheckShown(PageControl(window, "VLAN", kIdEnableGVRP)));
    EXPECT_EQ(settings["VLANID"]["shown"], WindowText(PageControl(window, "VLAN", kIdVlanId)));

    // The General page's three values, as the page got them.
    HWND general = FindWindowExA(window, nullptr, kPageClassName, "General");
    const auto field = [&](int index) {
        std::vector<HWND> edits = ChildrenInZOrder(general, "Edit");
        return index < static_cast<int>(edits.size()) ? WindowText(edits[index]) : "";
    };
    std::vector<std::string> shown = {field(0), field(1), field(2)};
    for (const char* name : {"hostName", "ipAddress", "macAddress"})
        EXPECT_NE(std::find(shown.begin(), shown.end(), document["general"][name]), shown.end())
            << name;
}

TEST_F(Console, SetWritesOnlyWhatIsNamedAllOrNothingAndDryRunWritesNothing) {
    struct Case {
        const char* args;
        int status;
        std::vector<std::pair<const char*, std::optional<StoredValue>>> after;
    };
    const std::optional<StoredValue> missing;
    const Case cases[] = {
        // Refused: nothing of the command is written, not even its valid values.
        {"set VLANID=12 ConnectionType=100BaseTX VLANID=13", 4, {{"VLANID", Dword(5)}}},
        {"set VLANID=12 TxStartThreshold=2048",
         1,
         {{"VLANID", Dword(5)}, {"TxStartThreshold", Dword(2048)}}},
        {"set VLANID=4095", 1, {{"VLANID", Dword(5)}}},
        {"set RxBuffer=\" 64\"", 1, {{"RxBuffer", Text("48")}}},
        {"set NoSuchSetting=1", 4, {}},
        {"set VLANID", 4, {}},
        {"set VLANID=12 --dry-run", 0, {{"VLANID", Dword(5)}}},
        // Accepted: the names the user sees and the registry's, the entries' texts and numbers.
        {"set \"Connection Type=10BaseT FD\" \"TxStartThreshold=Store and Forward\" "
         "EnableGVRP=1 VLANID=007",
         0,
         {{"ConnectionType", Dword(2)},
          {"TxStartThreshold", Dword(8188)},
          {"EnableGVRP", Dword(1)},
          {"VLANID", Dword(7)},
          // Not named: as they were, the number stored as text included.
          {"RxBuffer", Text("48")},
          {"EnableTagging", Dword(1)},
          {"NetworkAddress", Text("02004C4F4F50")}}},
        {"set ConnectionType=3 RxBuffer=-1",
         0,
         {{"ConnectionType", Dword(3)}, {"RxBuffer", Dword(0xFFFFFFFF)}}},
    };
    for (const Case& c : cases) {
        const Outcome set = RunCtl(c.args);
        EXPECT_EQ(set.status, c.status) << c.args << "\n" << set.err;
        for (const auto& [name, value] : c.after)
            EXPECT_EQ(GetParameter(name), value) << c.args << ": " << name;
    }
    // Nothing was left behind by the refused ones either.
    EXPECT_EQ(GetParameter("EnableGVRP"), Dword(1));

    // Old -> new, and a second identical set changes nothing.
    Outcome set = RunCtl("set VLANID=9");
    EXPECT_NE(set.out.find("VLANID: 7 -> 9"), std::string::npos) << set.out;
    EXPECT_NE(set.out.find("Restart needed"), std::string::npos) << set.out;
    set = RunCtl("set VLANID=9");
    EXPECT_NE(set.out.find("VLANID: 9 (unchanged)"), std::string::npos) << set.out;
    EXPECT_NE(set.out.find("no restart needed"), std::string::npos) << set.out;
}

// Registry texts beyond ASCII, which the registry class reads with the ANSI functions, arrive as
// the same characters in JSON, in redirected text (UTF-8) and in a console window; a text typed on
// the command line is stored as the same characters.
TEST_F(Console, TextsBeyondAsciiKeepTheirCharacters) {
    SeedCard(1, Ansi(L"Adaptateur r\u00e9seau"), "TVR8Q", "TVR8Q1");
    SetParameter("NetworkAddress", Text(Ansi(L"caf\u00e9")));
    const Outcome shown = RunCtl("show --json");
    ASSERT_EQ(shown.status, 0) << shown.err;
    json document = json::parse(shown.out, nullptr, false);
    EXPECT_TRUE(document["adapter"]["title"] == "Adaptateur réseau") << shown.out;
    EXPECT_TRUE(document["settings"]["NetworkAddress"]["stored"]["data"] == "café") << shown.out;
    const Outcome text = RunCtl("show");
    EXPECT_NE(text.out.find("Adaptateur réseau (NetworkCards entry 1"), std::string::npos)
        << text.out;
    EXPECT_NE(ShownInAConsoleWindow("show").find("Adaptateur réseau (NetworkCards entry 1"),
              std::string::npos);

    const Outcome set = RunCtl("set \"NetworkAddress=" + Ansi(L"R\u00e9seau") + "\"");
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(GetParameter("NetworkAddress"), Text(Ansi(L"R\u00e9seau")));
    EXPECT_NE(set.out.find("\"café\" -> \"Réseau\""), std::string::npos) << set.out;
}

TEST_F(Console, DiagPassesFailsWithEachFaultAndNeedsTheLibrary) {
    struct Case {
        const char* faults;
        const char* args;
        int status;
        const char* seen; // in its output
    };
    const Case cases[] = {
        {"", "diag --cycles 2", 0, "Cycles             2 of 2"},
        {"stuck-register", "diag", 1, "Register Test  Fail"},
        {"srom-crc", "diag --tests srom", 1, "SROM Test      Fail"},
        {"link-down", "diag --tests cable --json", 1, R"("result": "Fail")"},
        // A fault inside the library, in a test or at the resume after them: the run failed.
        {"library-fault", "diag --tests cable", 2, "failed during the Cable Test"},
        {"resume-fault", "diag --json", 2, R"("passed": false)"},
        {"no-device", "diag", 2, kDiagComponentFailed},
        {"", "diag --cycles 51", 4, "--cycles takes a number from 1 to 50"},
    };
    for (const Case& c : cases) {
        SetEnvironmentVariableA("TALVEX_SIM_FAULTS", c.faults);
        const Outcome diag = RunCtl(c.args);
        EXPECT_EQ(diag.status, c.status) << c.faults << " " << c.args << "\n" << diag.err;
        EXPECT_NE((diag.out + diag.err).find(c.seen), std::string::npos)
            << c.faults << " " << c.args << "\n"
            << diag.out << diag.err;
    }

    // Without DriverAgent.dll beside it: the page's message, and no run.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "talvexctl-alone\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "TalvexCtl.exe").c_str(),
                          (folder + "TalvexCtl.exe").c_str(), FALSE));
    // The page's message, which the console tool shows on standard error, is the JSON's error.
    Ctl alone("diag --json", folder);
    EXPECT_EQ(alone.Wait(), 2);
    EXPECT_NE(alone.Err().find(kDriverAgentNotLoaded), std::string::npos) << alone.Err();
    json document = json::parse(alone.Out(), nullptr, false);
    EXPECT_TRUE(document["passed"] == false &&
                document["error"] == json({{"status", 2}, {"message", kDriverAgentNotLoaded}}))
        << alone.Out();
    DeleteFileA((folder + "TalvexCtl.exe").c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(Console, OneProgramAtATimeRunsTheTests) {
    App app;
    ASSERT_TRUE(app.Start());
    HWND window = app.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    DiagDriver page(app.process(), window);
    ASSERT_TRUE(page.Reach());

    // The console tool's run holds the mark: the page says so after its warning.
    Ctl running("diag --cycles 5");
    ASSERT_TRUE(WaitUntil([&] { return running.Err().find("Cycle 1") != std::string::npos; }));
    page.ClickFrontButton();
    HWND warning = page.WaitForMessage(kDiagWarning);
    ASSERT_NE(warning, nullptr);
    PostMessageA(warning, WM_COMMAND, IDYES, 0);
    HWND busy = page.WaitForMessage(kHardwareBusy);
    ASSERT_NE(busy, nullptr);
    PostMessageA(busy, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(page.FrontButton(), "Start Test");
    EXPECT_EQ(running.Wait(std::chrono::seconds(60)), 0) << running.Err();

    // The page's run holds it: the console tool refuses with 2.
    for (int more = 0; more < 2; ++more)
        page.SpinUp();
    page.ClickFrontButton();
    warning = page.WaitForMessage(kDiagWarning);
    ASSERT_NE(warning, nullptr);
    PostMessageA(warning, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(page.WaitForRun());
    const Outcome refused = RunCtl("diag");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find(kHardwareBusy), std::string::npos) << refused.err;
    ASSERT_TRUE(page.WaitForIdle(std::chrono::seconds(60)));
    EXPECT_EQ(page.Results(), "|Pass |Pass |Pass");
    // Given back at the run's end: the console tool runs now.
    EXPECT_EQ(RunCtl("diag").status, 0);
}

// Windows refusing the restart, as Wine does when ExitWindowsEx can't start wineboot.exe: here a
// file that is no program, which Wine is told to prefer to its own. Run alone, in a throw-away
// prefix (tests/wine/CMakeLists.txt).
TEST_F(Console, SetRestartRefusedByWindowsIsStatus6WithTheValuesWritten) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string wineboot = std::string(system) + "\\wineboot.exe";
    DeleteFileA(wineboot.c_str()); // a hard link into the template: replaced, never written
    ASSERT_TRUE(std::ofstream(wineboot) << "no program");
    const char native[] = "native";
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "wineboot.exe",
                              REG_SZ, native, sizeof native),
              ERROR_SUCCESS);

    const Outcome set = RunCtl("set VLANID=9 --restart --json");
    EXPECT_EQ(set.status, 6) << set.err;
    EXPECT_EQ(GetParameter("VLANID"), Dword(9));
    json document = json::parse(set.out, nullptr, false);
    EXPECT_TRUE(document["written"] == true && document["restarted"] == false &&
                document["error"]["status"] == 6)
        << set.out;
    EXPECT_NE(set.err.find("did not restart"), std::string::npos) << set.err;
}

} // namespace
} // namespace talvex::e2e
