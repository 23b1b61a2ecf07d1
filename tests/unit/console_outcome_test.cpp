// The console tool's outcomes on the in-memory registry and services: one JSON document for
// every outcome, whose error tells the exit status, and registry texts beyond ASCII both ways.
#include "diag/open_hardware.h"
#include "settings/change_record.h"
#include "tests/unit/console_fixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <map>

namespace talvex::ctl {
namespace {

// Every outcome of a command asked for JSON is one document on standard output: the schema, an
// error with the exit status and the message (told on standard error too), and a verdict that
// claims nothing after a failure.
TEST_F(ConsoleTest, JsonOnEveryOutcomeWithAnErrorTrueToTheExitStatus) {
    const std::map<std::string, std::function<void()>> arrange = {
        {"", [] {}},
        {"no adapter", [&] { registry.SeedString(kHKeyLocalMachine, kCard5, "ProductName", "X"); }},
        {"not elevated", [&] { elevated = false; }},
        {"busy", [&] { services.hardwareMark.heldElsewhere = true; }},
        {"no device", [&] { UseSimulator("no-device"); }},
        {"adapter", [&] { UseSimulator(""); }},
        {"link down", [&] { UseSimulator("link-down"); }},
        {"library fault", [&] { UseSimulator("library-fault"); }},
        {"resume fault", [&] { UseSimulator("resume-fault"); }},
        {"write refused", [&] { registry.refuse = {"VLANID"}; }},
        {"no reboot", [&] { services.exitWindowsError = 1314; }}, // no shutdown privilege
        {"pending",
         [&] {
             Dword("VLANID", 1);
             Run({"set", "VLANID=3", "--restart", "--confirm-within", "5"});
         }},
        // A reference that is this machine, each number stored as set --from would store it.
        {"same",
         [&] {
             Dword("RxBuffer", 48);
             Run({"show", "--json"});
             files["same.json"] = out.text;
         }},
    };
    files["drift.json"] = R"({"schema": 1, "settings": {"VLANID": 4, "TxBuffer": 9}})";
    files["wrong.json"] = R"({"schema": 1, "settings": {"VLANID": "twelve"}})";
    struct Case {
        std::vector<std::string> args;
        const char* setup;
        int status;
        bool verdict;        // "passed" of diag, "written" of set, ...
        std::string message; // in the error's message
    };
    const Case cases[] = {
        {{"show"}, "", kExitOk, false, ""},
        {{"show"}, "no adapter", kExitNoAdapter, false, "no network adapter"},
        {{"show", "--xml"}, "", kExitUsage, false, "Unknown option"},
        {{"diag", "--cycles", "0"}, "", kExitUsage, false, "--cycles takes"},
        {{"diag"}, "no adapter", kExitNoAdapter, false, "no network adapter"},
        {{"diag"}, "not elevated", kExitNoHardware, false, "elevated prompt"},
        {{"diag"}, "busy", kExitNoHardware, false, kHardwareBusy},
        {{"diag"}, "", kExitNoHardware, false, kDriverAgentNotLoaded},
        {{"diag"}, "no device", kExitNoHardware, false, kDiagComponentFailed},
        {{"diag"}, "adapter", kExitOk, true, ""},
        {{"diag"}, "link down", kExitRefused, false, "Cable Test"},
        {{"diag"}, "library fault", kExitNoHardware, false, "during the Cable Test"},
        {{"diag"}, "resume fault", kExitNoHardware, false, "while resuming the adapter"},
        {{"set", "VLANID"}, "", kExitUsage, false, "NAME=VALUE"},
        {{"set", "Speed=1"}, "", kExitUsage, false, "no setting"},
        {{"set", "--from", "absent.json"}, "", kExitUsage, false, "can't be read"},
        {{"set", "VLANID=4095"}, "", kExitRefused, false, "VLAN ID Invalid."},
        {{"set", "VLANID=12"}, "write refused", kExitWriteRefused, false, "elevated"},
        {{"set", "VLANID=12", "--dry-run"}, "", kExitOk, false, ""},
        {{"set", "VLANID=12"}, "", kExitOk, true, ""},
        {{"test", "--from", "same.json"}, "same", kExitOk, true, ""},
        {{"test", "--from", "drift.json"}, "", kExitRefused, false, "differ from drift.json in 2"},
        {{"test", "--from", "wrong.json"}, "", kExitUsage, false, "VLAN ID Invalid."},
        {{"test", "--from", "drift.json"}, "no adapter", kExitNoAdapter, false, "no network"},
        {{"confirm"}, "", kExitOk, false, ""},
        {{"confirm"}, "pending", kExitOk, true, ""},
        {{"revert"}, "pending", kExitOk, true, ""},
        {{"set", "VLANID=12"}, "pending", kExitChangePending, false, "waits for confirmation"},
        {{"set", "VLANID=12", "--restart", "--confirm-within", "5"},
         "not elevated",
         kExitWriteRefused,
         false,
         "elevated prompt"},
        {{"set", "VLANID=9", "--restart"}, "no reboot", kExitRestartRefused, true, "error 1314"},
    };
    const std::map<std::string, const char*> verdicts = {
        {"diag", "passed"}, {"set", "written"}, {"test", "matches"},
        {"confirm", "confirmed"}, {"revert", "reverted"}};
    for (const Case& c : cases) {
        // An elevated prompt and an adapter whose hardware nothing holds, then the case's own.
        elevated = true;
        services = MemoryServices{};
        registry.refuse.clear();
        RemoveChangeRecord(registry);
        registry.SeedString(kHKeyLocalMachine, kCard5, "ProductName", "TVR8Q");
        UseSimulator(nullptr);
        arrange.at(c.setup)();
        const std::string line = c.args[0] + " " + c.args.back() + " (" + c.setup + ")";
        std::vector<std::string> args = c.args;
        args.emplace_back("--json");
        EXPECT_EQ(Run(args), c.status) << line << "\n" << err.text;
        auto document = nlohmann::json::parse(out.text, nullptr, false);
        if (!document.is_object()) {
            ADD_FAILURE() << line << ": not one JSON document\n" << out.text;
            continue;
        }
        EXPECT_TRUE(document["schema"] == 1) << line;
        if (c.args[0] != "show") {
            EXPECT_TRUE(document[verdicts.at(c.args[0])] == c.verdict) << line << "\n" << out.text;
        }
        const auto& error = document["error"];
        if (c.status == kExitOk) {
            EXPECT_TRUE(error.is_null()) << line << "\n" << out.text;
            continue;
        }
        EXPECT_TRUE(error.is_object() && error["status"] == c.status) << line << "\n" << out.text;
        const std::string message = error.is_object() ? error.value("message", "") : "";
        EXPECT_NE(message.find(c.message), std::string::npos) << line << "\n" << message;
        // Told on standard error as well: by the command, or by the message box there.
        const bool told = err.text.find(message) != std::string::npos ||
                          (!services.messages.empty() && services.messages.back().text == message);
        EXPECT_TRUE(!message.empty() && told) << line << "\n" << err.text;
    }
    EXPECT_EQ(Get("VLANID"), AsDword(9)); // written, the restart refused
}

// Registry texts are bytes of the ANSI code page (Latin-1 here, where "é" is 0xE9): show gives
// their characters in JSON and in text. A text given in UTF-8 is written in the code page, and
// refused when the code page lacks one of its characters.
TEST_F(ConsoleTest, TextsBeyondAsciiKeepTheirCharactersBothWays) {
    registry.SeedString(kHKeyLocalMachine, kCard5, "Title", "Adaptateur r\xE9seau");
    registry.SeedString(kHKeyLocalMachine, kParameters, "NetworkAddress", "caf\xE9");
    services.hostName = "poste-\xE9t\xE9";
    ASSERT_EQ(Run({"show", "--json"}), kExitOk);
    const auto document = nlohmann::json::parse(out.text);
    const auto text = [&](const nlohmann::json& value) { return value.get<std::string>(); };
    EXPECT_EQ(text(document["adapter"]["title"]), "Adaptateur réseau");
    EXPECT_EQ(text(document["settings"]["NetworkAddress"]["stored"]["data"]), "café");
    EXPECT_EQ(text(document["settings"]["NetworkAddress"]["shown"]), "café");
    EXPECT_EQ(text(document["general"]["hostName"]), "POSTE-éTé");
    ASSERT_EQ(Run({"show"}), kExitOk);
    EXPECT_NE(out.text.find("Adaptateur réseau (NetworkCards entry 5"), std::string::npos);
    EXPECT_NE(out.text.find("REG_SZ \"café\"" + std::string(15, ' ') + "café\n"), std::string::npos)
        << out.text;

    EXPECT_EQ(Run({"set", "NetworkAddress=Réseau"}), kExitOk) << err.text;
    EXPECT_EQ(Get("NetworkAddress"),
              (MemoryRegistry::StoredValue{kRegSz, {'R', 0xE9, 's', 'e', 'a', 'u', 0}}));
    EXPECT_NE(out.text.find("\"café\" -> \"Réseau\""), std::string::npos) << out.text;
    const auto before = Key();
    EXPECT_EQ(Run({"set", "NetworkAddress=R€seau"}), kExitRefused);
    EXPECT_EQ(Key(), before);
}

} // namespace
} // namespace talvex::ctl
