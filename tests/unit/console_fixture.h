// The console tool's native tests' fixture: an adapter in the last NetworkCards entry with a
// driver key of every kind of value, the in-memory services, and the tool's outputs as strings.
#pragma once

#include "console/ctl.h"
#include "hardware/driver_agent.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "simulator/driver_agent_sim.h"
#include "tests/doubles/latin1_text.h"
#include "tests/doubles/power_cut_registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace talvex::ctl {

inline constexpr char kParameters[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters)";
inline constexpr char kCard5[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\5)";

class ConsoleTest : public testing::Test {
  protected:
    ConsoleTest() {
        // The adapter in the last entry discovery looks at.
        registry.SeedString(kHKeyLocalMachine, kCard5, "Title", "Talvex Fast Ethernet Adapter");
        registry.SeedString(kHKeyLocalMachine, kCard5, "ProductName", "TVR8Q");
        registry.SeedString(kHKeyLocalMachine, kCard5, "ServiceName", "TVR8Q1");
        Dword("ConnectionType", 3);
        registry.SeedString(kHKeyLocalMachine, kParameters, "RxBuffer", "48");
        Dword("TxStartThreshold", 2048);
        registry.SeedString(kHKeyLocalMachine, kParameters, "NetworkAddress", "02004C4F4F50");
        Dword("EnableTagging", 1);
        Dword("VLANID", 5);
    }
    void Dword(const char* name, std::uint32_t value) {
        registry.Seed(kHKeyLocalMachine, kParameters, name, kRegDword,
                      {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                       std::uint8_t(value >> 24)});
    }
    ~ConsoleTest() override { UseSimulator(nullptr); }
    // The simulated adapter as the hardware library, with these faults; none for nullptr.
    void UseSimulator(const char* faults) {
        SetDriverAgent(nullptr);
        services.driverAgent = faults ? &sim::SimulatorApi() : nullptr;
        if (!faults) return unsetenv(sim::kFaultsVariable), void();
        setenv(sim::kFaultsVariable, faults, 1);
        setenv(sim::kEepromBusyVariable, "1polls", 1);
        Dword("BaseAddress", 0xE000);
    }
    auto Key() const { return registry.Values(kHKeyLocalMachine, kParameters); }
    std::optional<MemoryRegistry::StoredValue> Get(const char* name) const {
        return registry.Lookup(kHKeyLocalMachine, kParameters, name);
    }
    static MemoryRegistry::StoredValue AsDword(std::uint32_t value) {
        return {kRegDword,
                {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                 std::uint8_t(value >> 24)}};
    }

    int Run(std::vector<std::string> args) {
        out.text.clear();
        err.text.clear();
        return RunTalvexCtl(args, env);
    }

    PowerCutRegistry registry; // refuses chosen writes, loses power, checks the order of hives
    MemoryServices services;
    StringOutput out, err;
    std::map<std::string, std::string> files;
    bool elevated = true;
    CtlEnvironment env{
        registry,
        services,
        out,
        err,
        [this] { return elevated; },
        [this](const std::string& path, std::size_t limit) -> std::optional<std::string> {
            const auto file = files.find(path);
            if (file == files.end() || file->second.size() > limit) return std::nullopt;
            return file->second;
        },
        Latin1ToUtf8,
        Utf8ToLatin1};
};

} // namespace talvex::ctl
