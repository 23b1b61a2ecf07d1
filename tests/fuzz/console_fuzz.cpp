// libFuzzer target: whatever command line and --from file the console tool is given, with or
// without a change that waits for confirmation, it does not crash, leaves no key open, answers
// with one of its exit statuses, writes nothing unless it answers 0 (or 6, the restart refused
// after the write), leaves a task to put a change back exactly while a change is recorded, and,
// asked for JSON, prints one document whose error tells the exit status.
//
// Input: a selector byte (the command, whether the file starts as a real show --json document
// that the rest of the input is spliced into, whether --json is given, whether Windows refuses
// a restart and whether a change waits, its record then perhaps damaged), a count of arguments, each argument as a length byte and
// its bytes, then the file's bytes.
#include "console/ctl.h"
#include "fuzz_input.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "settings/change_record.h"
#include "tests/doubles/latin1_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace talvex {
namespace {

using fuzzing::Input;
using fuzzing::Require;

constexpr char kCard[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)";
constexpr char kParameters[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters)";
// By the selector's bits 1, 2 and 128; none for 3.
constexpr const char* kCommands[] = {"show", "set", "diag", nullptr,
                                     "test", "confirm", "revert", "set"};

void Seed(MemoryRegistry& registry) {
    registry.SeedString(kHKeyLocalMachine, kCard, "ProductName", "TVR8Q");
    registry.SeedString(kHKeyLocalMachine, kCard, "ServiceName", "TVR8Q1");
    registry.Seed(kHKeyLocalMachine, kParameters, "VLANID", kRegDword, {5, 0, 0, 0});
    registry.SeedString(kHKeyLocalMachine, kParameters, "RxBuffer", "48");
    registry.Seed(kHKeyLocalMachine, kParameters, "TxStartThreshold", kRegDword, {0, 8, 0, 0});
    registry.SeedString(kHKeyLocalMachine, kParameters, "NetworkAddress", "02004C4F4F50");
}

int Run(MemoryRegistry& registry, MemoryServices& services, const std::vector<std::string>& args,
        const std::string& file, std::string* out = nullptr) {
    ctl::StringOutput output, errors;
    ctl::CtlEnvironment env{
        registry,
        services,
        output,
        errors,
        [] { return true; },
        [&](const std::string&, std::size_t limit) -> std::optional<std::string> {
            if (file.size() > limit) return std::nullopt;
            return file;
        },
        Latin1ToUtf8,
        Utf8ToLatin1};
    const int status = ctl::RunTalvexCtl(args, env);
    if (out) *out = output.text;
    return status;
}

// The record of the waiting change, or the last revert's, with one value stored over by the
// input (any type, any bytes) three times in four: what their readers must refuse or survive.
bool DamageRecord(MemoryRegistry& registry, Input& in) {
    struct Target {
        const char* key;
        const char* name;
    };
    constexpr Target kTargets[] = {
        {kChangeKey, "State"},        {kChangeKey, "Driver"},       {kChangeKey, "Set At"},
        {kChangeKey, "Minutes"},      {kChangeKey, "Values"},       {kChangeKey, "Reason"},
        {kChangeKey, "Before VLANID"}, {kChangeKey, "After VLANID"}, {kLastRevertKey, "At"},
        {kLastRevertKey, "Values"},
    };
    const std::uint8_t damage = in.Byte();
    if (damage < 64) return false;
    const Target& target = kTargets[damage % std::size(kTargets)];
    const std::uint32_t type = in.Byte() % 12;
    registry.Seed(kHKeyLocalMachine, target.key, target.name, type, in.Bytes(in.Byte() % 40));
    // The last revert is read only once its time is; damage to the time itself stays.
    if (target.key == kLastRevertKey && std::string_view(target.name) != "At")
        registry.SeedString(kHKeyLocalMachine, kLastRevertKey, "At", "2024-05-01T09:00:00Z");
    return true;
}

} // namespace
} // namespace talvex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace talvex;
    Input in(data, size);
    const std::uint8_t selector = in.Byte();
    const char* command = kCommands[(selector & 3) | ((selector & 128) >> 5)];
    std::vector<std::string> args;
    if (command) args.emplace_back(command);
    for (int count = in.Byte() % 8; count > 0; --count)
        args.push_back(in.Text(in.Byte() % 48));
    if (selector & 4) args.insert(args.end(), {"--from", "f.json"});
    if (selector & 16) args.emplace_back("--json");
    // A command that takes --json, given it (not as the value of --from).
    const bool json =
        command && std::find(args.begin(), args.end(), "--json") != args.end() &&
        std::adjacent_find(args.begin(), args.end(), [](const auto& a, const auto& b) {
            return a == "--from" && b == "--json";
        }) == args.end();

    MemoryRegistry registry;
    Seed(registry);
    MemoryServices services;
    bool damaged = false;
    if (selector & 64) {
        Run(registry, services, {"set", "VLANID=3", "--restart", "--confirm-within", "5"}, "");
        damaged = DamageRecord(registry, in);
    }
    services.exitWindowsError = (selector & 32) != 0 ? 1314 : 0;
    std::string file;
    if (selector & 8) {
        // A real document with the rest of the input written over it somewhere.
        Run(registry, services, {"show", "--json"}, "", &file);
        const std::size_t at = file.empty() ? 0 : (in.Byte() * 256u + in.Byte()) % file.size();
        const std::string patch = in.Text(size);
        file.replace(at, std::min(patch.size(), file.size() - at), patch);
    } else {
        file = in.Text(size);
    }

    const auto before = registry.Values(kHKeyLocalMachine, kParameters);
    std::string out;
    const int status = Run(registry, services, args, file, &out);
    Require(status >= ctl::kExitOk && status <= ctl::kExitChangePending);
    if (!damaged) Require(services.tasks.empty() == !ReadPendingChange(registry).has_value());
    Require(registry.OpenHandleCount() == 0);
    // Only a refused restart comes after the values were written.
    if (status != ctl::kExitOk && status != ctl::kExitRestartRefused)
        Require(registry.Values(kHKeyLocalMachine, kParameters) == before);
    if (json) {
        const auto document = nlohmann::json::parse(out, nullptr, false);
        Require(document.is_object() && document.contains("error"));
        const auto& error = document["error"];
        Require(status == ctl::kExitOk ? error.is_null()
                                       : error.is_object() && error["status"] == status);
    }
    return 0;
}
