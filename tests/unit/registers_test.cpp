#include "hardware/driver_agent.h"
#include "hardware/registers.h"
#include "hardware/srom_image.h"
#include "hardware_doubles.h"
#include "simulator/driver_agent_sim.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace talvex;
using talvex::test::BusCall;
using talvex::test::RecordingBus;

namespace {

constexpr uint32_t H = RecordingBus::kRangeHandle;

TEST(AdapterControl, SuspendAndResumeWriteTwoWholeDwordsAndReadNothing) {
    RecordingBus bus;
    SuspendAdapter();
    ResumeAdapter();
    const std::vector<BusCall> expected = {{"W32", 0x50, 0x10000000, H},
                                           {"W32", 0x50, 0x02000000, H},
                                           {"W32", 0x50, 0x08000000, H},
                                           {"W32", 0x50, 0x01000000, H}};
    EXPECT_EQ(bus.Registers(), expected);
}

TEST(RegisterTest, PassesOnAnEchoAndPutsTheOldValueBack) {
    RecordingBus bus;
    EXPECT_TRUE(TestRegisterAccess());
    const uint32_t old = sim::Adapter::kTestRegisterAtPowerOn;
    const std::vector<BusCall> expected = {{"R16", 0x40, old, H},
                                           {"W16", 0x40, 0x55AA, H},
                                           {"R16", 0x40, 0x55AA, H},
                                           {"W16", 0x40, old, H}};
    EXPECT_EQ(bus.Registers(), expected);
}

TEST(RegisterTest, FailsOnAnyOtherReadBackAndStillRestores) {
    for (uint32_t readBack : {0x55ABu, 0xD5AAu, 0xFFFFu}) {
        RecordingBus bus;
        int reads = 0;
        bus.readOverride = [&](const BusCall&) -> std::optional<uint32_t> {
            return ++reads == 2 ? std::optional<uint32_t>(readBack) : std::nullopt;
        };
        EXPECT_FALSE(TestRegisterAccess()) << std::hex << readBack;
        ASSERT_EQ(bus.calls.size(), 4u);
        EXPECT_EQ(bus.calls[3], (BusCall{"W16", 0x40, sim::Adapter::kTestRegisterAtPowerOn, H}));
    }
}

TEST(CableTest, LooksOnlyAtBit7) {
    for (auto [value, link] :
         {std::pair{0x80u, true}, {0xFFu, true}, {0x7Fu, false}, {0u, false}}) {
        RecordingBus bus;
        bus.readOverride = [v = value](const BusCall&) { return std::optional<uint32_t>(v); };
        EXPECT_EQ(GetLinkStatus(), link) << std::hex << value;
        EXPECT_EQ(bus.Registers(), (std::vector<BusCall>{{"R8", 0x5E, value, H}}));
    }
}

TEST(CloseAdapterAccess, ClosesRangeDeviceThenLibraryEvenWithZeroHandles) {
    RecordingBus bus;
    hIoRange = 0;
    CloseAdapterAccess();
    const std::vector<BusCall> expected = {
        {"CloseRange", 0, 0, 0}, {"CloseDevice", 0, 0, 0}, {"CloseLib"}};
    EXPECT_EQ(bus.calls, expected);
}

TEST(NoLibrary, EveryProcedureRunsHarmlesslyAndEveryTestFails) {
    SetDriverAgent(nullptr);
    EXPECT_EQ(OpenAdapterAccess("svc", 1, 0x1000), AdapterAccess::NoLibrary);
    SuspendAdapter();
    EXPECT_FALSE(TestRegisterAccess());
    EXPECT_FALSE(TestSrom());
    EXPECT_FALSE(GetLinkStatus());
    ResumeAdapter();
    CloseAdapterAccess();
}

// The open step against the simulator, which takes its faults from the environment.
class OpenAccess : public ::testing::Test {
  protected:
    void SetUp() override { SetDriverAgent(&sim::SimulatorApi()); }
    void TearDown() override {
        CloseAdapterAccess();
        hIoRange = hDevice = 0;
        unsetenv(sim::kFaultsVariable);
        SetDriverAgent(nullptr);
    }
    AdapterAccess Open(const char* faults) {
        setenv(sim::kFaultsVariable, faults, 1);
        return OpenAdapterAccess("TalvexSvc", 2, 0xE800);
    }
};

TEST_F(OpenAccess, ReportsTheFailedStepLeavesNothingOpenAndOpensOnce) {
    EXPECT_EQ(Open("no-device"), AdapterAccess::NoDevice);
    EXPECT_EQ(Open("no-io-range"), AdapterAccess::NoIoRange);
    EXPECT_EQ(hDevice, 0u);
    EXPECT_EQ(hIoRange, 0u);
    ASSERT_EQ(Open(""), AdapterAccess::Open);
    const uint32_t range = hIoRange;
    EXPECT_NE(range, 0u);
    EXPECT_EQ(Open(""), AdapterAccess::Open);
    EXPECT_EQ(hIoRange, range);
    EXPECT_TRUE(GetLinkStatus());
}

} // namespace
