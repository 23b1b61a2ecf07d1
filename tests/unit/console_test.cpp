// The console tool's commands on the in-memory registry and services: which command lines are
// taken, refused and with which exit status, that a refusal writes nothing, set --from (with a
// reference key in every state the window keeps), and a write refused midway.
#include "tests/unit/console_fixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>

namespace talvex::ctl {
namespace {

TEST_F(ConsoleTest, CommandLinesTakenAndRefusedWithTheirExitStatuses) {
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{}, kExitUsage},
        {{"frob"}, kExitUsage},
        {{"--help"}, kExitOk},
        {{"show", "--xml"}, kExitUsage},
        {{"set"}, kExitUsage},
        {{"set", "VLANID"}, kExitUsage},
        {{"set", "=5"}, kExitUsage},
        {{"set", "--restart"}, kExitUsage},
        {{"set", "Speed=100"}, kExitUsage},
        {{"set", "VLANID=1", "vlan id=2"}, kExitUsage}, // one setting, two names
        {{"set", "VLANID=1", "--from"}, kExitUsage},
        {{"set", "--from", "absent.json"}, kExitUsage},
        {{"set", "VLANID="}, kExitRefused},
        {{"set", "VLANID=4095"}, kExitRefused},
        {{"set", "VLANID= 12"}, kExitRefused},
        {{"set", "VLANID=-1"}, kExitRefused},
        {{"set", "RxBuffer=2147483648"}, kExitRefused},
        {{"set", "RxBuffer=12x"}, kExitRefused},
        {{"set", "ConnectionType=5"}, kExitRefused},
        {{"set", "ConnectionType=-1"}, kExitRefused},
        {{"set", "TxStartThreshold=8192"}, kExitRefused},
        {{"set", "TxStartThreshold=Store"}, kExitRefused},
        {{"set", "EnableTagging=2"}, kExitRefused},
        {{"set", "EnableGVRP=on"}, kExitRefused},
        {{"set", std::string("NetworkAddress=02\0"
                             "00",
                             20)},
         kExitRefused},
        // One refused among valid ones: nothing of the command is written.
        {{"set", "VLANID=12", "TxBuffer=8", "ConnectionType=AutoSense", "EnableGVRP=3"},
         kExitRefused},
        {{"diag", "--cycles", "0"}, kExitUsage},
        {{"diag", "--cycles", "51"}, kExitUsage},
        {{"diag", "--cycles"}, kExitUsage},
        {{"diag", "--tests", "register,sram"}, kExitUsage},
        {{"diag", "--tests", ""}, kExitUsage},
        {{"diag", "--verbose"}, kExitUsage},
        {{"set", "VLANID=1", "--confirm-within", "5"}, kExitUsage}, // needs --restart
        {{"set", "VLANID=1", "--restart", "--confirm-within", "0"}, kExitUsage},
        {{"set", "VLANID=1", "--restart", "--confirm-within=1441"}, kExitUsage},
        {{"set", "VLANID=1", "--restart", "--confirm-within"}, kExitUsage},
        {{"confirm"}, kExitOk}, // nothing waits
        {{"confirm", "--now"}, kExitUsage},
        {{"revert"}, kExitOk},
        {{"revert", "--force"}, kExitUsage},
        {{"test"}, kExitUsage},
        {{"test", "--from", "absent.json"}, kExitUsage},
    };
    const auto before = Key();
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& arg : c.args)
            line += arg + " ";
        EXPECT_EQ(Run(c.args), c.status) << line << err.text;
        EXPECT_EQ(Key(), before) << line;
        EXPECT_EQ(err.text.empty(), c.status == kExitOk) << line;
    }
    EXPECT_EQ(registry.OpenHandleCount(), 0u);

    // The edges of every range taken, by either name, with a list entry's text or number.
    EXPECT_EQ(Run({"set", "VLANID=4094", "Receive Buffers=-2147483648", "TxBuffer=2147483647",
                   "connectiontype=100basetx fd", "Transmit Threshold=256", "EnableTagging=0",
                   "EnableGVRP=1"}),
              kExitOk)
        << err.text;
    EXPECT_EQ(Get("VLANID"), AsDword(4094));
    EXPECT_EQ(Get("RxBuffer"), AsDword(0x80000000));
    EXPECT_EQ(Get("TxBuffer"), AsDword(0x7FFFFFFF));
    EXPECT_EQ(Get("ConnectionType"), AsDword(4));
    EXPECT_EQ(Get("TxStartThreshold"), AsDword(256));
    EXPECT_EQ(Get("EnableTagging"), AsDword(0));
    EXPECT_EQ(Get("EnableGVRP"), AsDword(1));
    // Not named: as stored.
    EXPECT_EQ(Get("NetworkAddress")->type, kRegSz);
    // A value the driver ignores is only a warning, as the page's balloon tip.
    EXPECT_EQ(Run({"set", "NetworkAddress=01-00-00-00-00-00"}), kExitOk);
    EXPECT_NE(err.text.find("warning: NetworkAddress"), std::string::npos);
}

TEST_F(ConsoleTest, SetSaysWhatChangesDryRunWritesNothingAndRestartOnlyWhenAsked) {
    const auto before = Key();
    EXPECT_EQ(
        Run({"set", "TxStartThreshold=Store and Forward", "VLANID=5", "EnableGVRP=1", "--dry-run"}),
        kExitOk);
    EXPECT_EQ(out.text, "EnableGVRP: missing -> checked\n"
                        "VLANID: 5 (unchanged)\n"
                        "TxStartThreshold: no entry -> Store and Forward\n"
                        "Dry run: nothing was written. Writing these would need a restart of "
                        "Windows.\n");
    EXPECT_EQ(Key(), before);

    EXPECT_EQ(Run({"set", "RxBuffer=64"}), kExitOk);
    EXPECT_TRUE(services.calls.empty()); // no restart without --restart
    EXPECT_EQ(Run({"set", "RxBuffer=64", "--restart"}), kExitOk);
    EXPECT_TRUE(services.calls.empty()); // nothing written, nothing to restart for
    EXPECT_NE(out.text.find("no restart needed"), std::string::npos);
    EXPECT_EQ(Run({"set", "RxBuffer=65", "--restart"}), kExitOk);
    EXPECT_EQ(services.calls,
              (std::vector<std::string>{"EnableShutdownPrivilege", "ExitWindowsEx 2 0"}));
}

TEST_F(ConsoleTest, AWriteRefusedMidwayLeavesEveryNamedValueAsItWas) {
    const auto before = Key();
    // The Virtual LAN values go first, then the Advanced ones: TxBuffer fails after three
    // written and one added.
    registry.refuse = {"TxBuffer"};
    EXPECT_EQ(
        Run({"set", "TxBuffer=8", "VLANID=12", "EnableGVRP=1", "ConnectionType=1", "RxBuffer=64"}),
        kExitWriteRefused);
    EXPECT_EQ(Key(), before); // EnableGVRP, added, is gone again
    EXPECT_NE(err.text.find("elevated prompt"), std::string::npos) << err.text;
    EXPECT_NE(err.text.find("Nothing was changed"), std::string::npos) << err.text;
    EXPECT_TRUE(out.text.empty());
}

TEST_F(ConsoleTest, SetFromAnotherMachinesShowAppliesItsStoredSettingsButNeverItsAddress) {
    // The reference machine: show --json of another key, its address differing.
    ASSERT_EQ(Run({"show", "--json"}), kExitOk);
    std::string document = out.text;
    const auto replace = [&](const std::string& from, const std::string& to) {
        const auto at = document.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        document.replace(at, from.size(), to);
    };
    replace("\"data\": 5", "\"data\": 12");        // VLANID
    replace(R"("data": "48")", R"("data": "64")"); // RxBuffer, stored as text
    replace("\"data\": 2048", "\"data\": 8188");   // TxStartThreshold
    replace(R"("data": "02004C4F4F50")", R"("data": "020000000001")");
    Dword("EnableGVRP", 1); // stored here, missing there: left as it is

    // As Windows PowerShell's ">" saves it: UTF-16 with its byte-order mark.
    std::string utf16 = "\xFF\xFE";
    for (char c : document)
        utf16 += {c, '\0'};
    files["ref.json"] = utf16;
    EXPECT_EQ(Run({"set", "--from", "ref.json"}), kExitOk) << err.text;
    EXPECT_EQ(Get("VLANID"), AsDword(12));
    EXPECT_EQ(Get("RxBuffer"), AsDword(64));
    EXPECT_EQ(Get("TxStartThreshold"), AsDword(8188));
    EXPECT_EQ(Get("EnableGVRP"), AsDword(1));
    EXPECT_EQ(Get("NetworkAddress")->data.size(), 13u); // still 02004C4F4F50
    EXPECT_NE(err.text.find("NetworkAddress is not applied"), std::string::npos);

    // Files that are not such a document: refused whole, nothing written.
    const auto before = Key();
    const std::map<std::string, std::string> bad = {
        {"empty", ""},
        {"text", "VLANID=12"},
        {"cut", document.substr(0, document.size() / 2)},
        {"array", "[1, 2]"},
        {"no schema", R"({"settings": {"VLANID": 12}})"},
        {"newer", R"({"schema": 2, "settings": {"VLANID": 12}})"},
        {"unknown", R"({"schema": 1, "settings": {"Speed": 12}})"},
        {"label", R"({"schema": 1, "settings": {"VLAN ID": 12}})"},
        {"float", R"({"schema": 1, "settings": {"VLANID": 12.5}})"},
        {"array value", R"({"schema": 1, "settings": {"VLANID": [12]}})"},
        {"dword text", R"({"schema": 1, "settings": {"VLANID": {"stored":
                          {"type": "REG_DWORD", "data": "12"}}}})"},
        {"huge", std::string(kMaxFromFileBytes + 1, ' ')},
        {"deep", std::string(100000, '[')},
    };
    for (const auto& [name, text] : bad) {
        files["bad.json"] = text;
        EXPECT_EQ(Run({"set", "--from", "bad.json"}), kExitUsage) << name;
        EXPECT_EQ(Key(), before) << name;
    }
    // Well formed, but not a value the page takes: refused, nothing written.
    files["bad.json"] = R"({"schema": 1, "settings": {"VLANID": 4095, "RxBuffer": 1}})";
    EXPECT_EQ(Run({"set", "--from", "bad.json"}), kExitRefused);
    EXPECT_EQ(Key(), before);
}

// Every state the window keeps, on the reference machine: show --json of it, taken by set --from,
// applies what the page would write back as it shows it and leaves the rest as it is here, each
// with a warning; the file is never refused whole for them. test --from, the detection half,
// finds a difference exactly where set --from writes, and none once it has.
TEST_F(ConsoleTest, SetFromTakesEveryStateShowPrintsOfAKeyTheWindowKeeps) {
    struct Case {
        const char* name;
        MemoryRegistry::StoredValue stored;
        bool applied;
    };
    const Case cases[] = {
        {"EnableGVRP", AsDword(2), true},     // grayed: the page writes its box as it shows it
        {"EnableTagging", AsDword(2), false}, // grayed, which the page writes only as 0 or 1
        {"VLANID", AsDword(5000), false},
        {"ConnectionType", AsDword(7), false}, // no entry in the list
        {"RxBuffer", {kRegSz, {'l', 'o', 't', 's', 0}}, false},
        {"TxBuffer", {kRegBinary, {1, 2}}, false},
        {"TxStartThreshold", AsDword(2048), false},
    };
    for (const Case& c : cases)
        registry.Seed(kHKeyLocalMachine, kParameters, c.name, c.stored.type, c.stored.data);
    ASSERT_EQ(Run({"show", "--json"}), kExitOk);
    files["ref.json"] = out.text;
    for (const Case& c : cases)
        Dword(c.name, 1);

    const auto before = Key();
    ASSERT_EQ(Run({"test", "--from", "ref.json", "--json"}), kExitRefused) << err.text;
    auto drift = nlohmann::json::parse(out.text);
    EXPECT_EQ(drift["matches"], false);
    EXPECT_EQ(drift["differences"],
              nlohmann::json::array({{{"name", "EnableGVRP"},
                                      {"expected", {{"type", "REG_DWORD"}, {"data", 2}}},
                                      {"actual", {{"type", "REG_DWORD"}, {"data", 1}}}}}));
    EXPECT_EQ(drift["warnings"].size(), 7u); // six left out, and the address
    EXPECT_EQ(drift["error"]["status"], kExitRefused);
    ASSERT_EQ(Run({"test", "--from", "ref.json"}), kExitRefused);
    EXPECT_EQ(out.text, "EnableGVRP: expected REG_DWORD 2, holds REG_DWORD 1\n");
    EXPECT_EQ(Key(), before);

    ASSERT_EQ(Run({"set", "--from", "ref.json", "--json"}), kExitOk) << err.text;
    const auto document = nlohmann::json::parse(out.text);
    EXPECT_TRUE(document["written"] == true) << out.text;
    std::string warnings;
    for (const auto& warning : document["warnings"])
        warnings += warning.get<std::string>() + "\n";
    for (const Case& c : cases) {
        EXPECT_EQ(Get(c.name), c.applied ? c.stored : AsDword(1)) << c.name;
        const std::string leftOut = std::string(c.name) + " is left as it is here";
        EXPECT_EQ(warnings.find(leftOut) == std::string::npos, c.applied) << warnings;
        EXPECT_EQ(err.text.find(leftOut) == std::string::npos, c.applied) << err.text;
    }
    EXPECT_EQ(Run({"test", "--from", "ref.json"}), kExitOk) << err.text;
    EXPECT_EQ(out.text, "Matches: 1 values as the file gives them.\n");
    // Bare values are taken as NAME=VALUE takes them; one no page takes makes the file a wrong one.
    files["bare.json"] = R"({"schema": 1, "settings": {"TxBuffer": 5, "VLANID": 1}})";
    ASSERT_EQ(Run({"test", "--from", "bare.json"}), kExitRefused);
    EXPECT_EQ(out.text, "TxBuffer: expected REG_DWORD 5, holds REG_DWORD 1\n");
    files["bare.json"] = R"({"schema": 1, "settings": {"VLANID": 4095}})";
    EXPECT_EQ(Run({"test", "--from", "bare.json"}), kExitUsage);
}

TEST_F(ConsoleTest, NoAdapterNoElevationAndAnotherRun) {
    registry.Seed(kHKeyLocalMachine, kCard5, "ProductName", kRegSz, {'T', 'V', 'R', '8', 0});
    for (const char* command : {"show", "diag"})
        EXPECT_EQ(Run({command}), kExitNoAdapter) << command;
    EXPECT_EQ(Run({"set", "VLANID=1"}), kExitNoAdapter);
    registry.SeedString(kHKeyLocalMachine, kCard5, "ProductName", "tvr8q");

    elevated = false;
    EXPECT_EQ(Run({"diag"}), kExitNoHardware);
    EXPECT_NE(err.text.find("elevated prompt"), std::string::npos);
    elevated = true;
    services.hardwareMark.heldElsewhere = true;
    EXPECT_EQ(Run({"diag"}), kExitNoHardware);
    EXPECT_EQ(services.libraryLoads, 0);
    services.hardwareMark.heldElsewhere = false;
    EXPECT_EQ(Run({"diag"}), kExitNoHardware); // no library
    ASSERT_FALSE(services.messages.empty());   // the page's message, on stderr in the real tool
    EXPECT_EQ(services.messages.back().text, "DriverAgent is not loaded!");
    EXPECT_FALSE(services.hardwareMark.held);
}

} // namespace
} // namespace talvex::ctl
