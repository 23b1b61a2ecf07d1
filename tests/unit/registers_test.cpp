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

namespace {

// A library whose device and range opens can be made to fail; it records every open and close
// and never hands out the same handle twice.
struct FlakyLibrary {
    static inline std::vector<std::string> calls;
    static inline bool failDevice = false, failRange = false;
    static inline uint32_t lastHandle = 0;

    static std::string Name(const char* op, uint32_t h) { return op + std::to_string(h); }
    static int32_t WINAPI Open() { return calls.emplace_back("OpenLib"), 1; }
    static void WINAPI Close() { calls.emplace_back("CloseLib"); }
    static uint32_t WINAPI Device(const char*, uint32_t, int32_t*) {
        return failDevice ? 0 : (calls.push_back(Name("Device", lastHandle + 1)), ++lastHandle);
    }
    static uint32_t WINAPI Range(uint32_t, const char*, uint32_t, int32_t*) {
        return failRange ? 0 : (calls.push_back(Name("Range", lastHandle + 1)), ++lastHandle);
    }
    static void WINAPI CloseRange(uint32_t h) { calls.push_back(Name("CloseRange", h)); }
    static void WINAPI CloseDevice(uint32_t h) { calls.push_back(Name("CloseDevice", h)); }
    static constexpr DriverAgentApi kApi = {Open,        Close,   Device,  Range,   CloseRange,
                                            CloseDevice, nullptr, nullptr, nullptr, nullptr};
};

class RetriedOpen : public ::testing::Test {
  protected:
    RetriedOpen() {
        FlakyLibrary::calls.clear();
        FlakyLibrary::lastHandle = 0;
        FlakyLibrary::failDevice = FlakyLibrary::failRange = false;
        SetDriverAgent(&FlakyLibrary::kApi);
    }
    ~RetriedOpen() override {
        ResetAdapterAccess();
        SetDriverAgent(nullptr);
    }
    static AdapterAccess Open() { return OpenAdapterAccess("TalvexSvc", 1, 0xE000); }
    std::vector<std::string>& calls = FlakyLibrary::calls;
};

TEST_F(RetriedOpen, AFailedAttemptClosesWhatItOpenedAndTheRetryStartsAfresh) {
    FlakyLibrary::failRange = true;
    EXPECT_EQ(Open(), AdapterAccess::NoIoRange);
    FlakyLibrary::failRange = false;
    FlakyLibrary::failDevice = true;
    EXPECT_EQ(Open(), AdapterAccess::NoDevice);
    FlakyLibrary::failDevice = false;
    EXPECT_EQ(Open(), AdapterAccess::Open);
    const std::vector<std::string> expected = {
        "OpenLib", "Device1",  "CloseDevice1", "CloseLib", // no range: device and connection closed
        "OpenLib", "CloseLib",                             // no device: the connection closed
        "OpenLib", "Device2",  "Range3"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(hIoRange, 3u);
    EXPECT_EQ(Open(), AdapterAccess::Open); // still open: nothing is asked of the library
    EXPECT_EQ(calls.size(), expected.size());
}

TEST_F(RetriedOpen, HandlesAreNotTrustedAfterACloseOrUnderAnotherLibrary) {
    ASSERT_EQ(Open(), AdapterAccess::Open);
    CloseAdapterAccess();
    EXPECT_EQ(hIoRange, 2u); // termination leaves the numbers as they were
    calls.clear();
    ASSERT_EQ(Open(), AdapterAccess::Open);
    EXPECT_EQ(calls, (std::vector<std::string>{"OpenLib", "Device3", "Range4"}));

    // Another library (a reload) has never heard of these handles: they are dropped, not
    // closed through it, and it opens its own.
    static constexpr DriverAgentApi kReloaded = FlakyLibrary::kApi;
    SetDriverAgent(&kReloaded);
    calls.clear();
    ASSERT_EQ(Open(), AdapterAccess::Open);
    EXPECT_EQ(calls, (std::vector<std::string>{"OpenLib", "Device5", "Range6"}));
}

} // namespace
