#include "hardware/driver_agent.h"
#include "hardware/registers.h"
#include "hardware/srom_image.h"
#include "hardware/timing.h"
#include "platform/win32/driver_agent_win32.h"
#include "platform/win32/timer_resolution_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>

using namespace talvex;

namespace {

constexpr std::array<uint8_t, 6> kSimulatorMac = {0x02, 0x1B, 0x0A, 0xC8, 0x5E, 0x01};

class DriverAgentDll : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(library_.Load()); }
    void TearDown() override {
        CloseAdapterAccess();
        hIoRange = hDevice = 0;
        SetEnvironmentVariableA("TALVEX_SIM_FAULTS", nullptr);
    }
    AdapterAccess Open(const char* faults) {
        SetEnvironmentVariableA("TALVEX_SIM_FAULTS", faults);
        return OpenAdapterAccess("TalvexSvc", 1, 0xE800);
    }
    DriverAgentLibrary library_;
};

TEST_F(DriverAgentDll, DefaultAdapterPassesEveryTest) {
    ASSERT_EQ(Open(""), AdapterAccess::Open);
    EXPECT_TRUE(TimerResolutionAvailable());
    EXPECT_EQ(&Timing(), &Win32Timing());
    FineSleepScope fine;
    SuspendAdapter();
    EXPECT_TRUE(TestRegisterAccess());
    EXPECT_TRUE(TestSrom());
    EXPECT_EQ(NAinSROM, kSimulatorMac);
    EXPECT_TRUE(GetLinkStatus());
    ResumeAdapter();
}

TEST_F(DriverAgentDll, EachSromFaultFailsTheSromTest) {
    for (const char* fault : {"srom-crc", "srom-erased", "eeprom-busy"}) {
        ASSERT_EQ(Open(fault), AdapterAccess::Open) << fault;
        EXPECT_FALSE(TestSrom()) << fault;
        CloseAdapterAccess();
        hIoRange = hDevice = 0;
    }
}

TEST_F(DriverAgentDll, RegisterAndCableFaultsFailTheirTests) {
    ASSERT_EQ(Open("stuck-register, link-down, no-such-fault"), AdapterAccess::Open);
    EXPECT_FALSE(TestRegisterAccess());
    EXPECT_FALSE(GetLinkStatus());
    EXPECT_TRUE(TestSrom()); // the unknown word changed nothing else
}

TEST_F(DriverAgentDll, OpenReportsTheStepThatFailed) {
    EXPECT_EQ(Open("no-device"), AdapterAccess::NoDevice);
    EXPECT_EQ(Open("no-io-range"), AdapterAccess::NoIoRange);
    EXPECT_EQ(hDevice, 0u);
    EXPECT_EQ(hIoRange, 0u);
}

TEST(DriverAgentLoading, MissingLibraryOrOperationIsReported) {
    DriverAgentLibrary library;
    DriverAgentLoad load = library.LoadFrom(R"(C:\no\such\DriverAgent.dll)");
    EXPECT_EQ(load.status, DriverAgentLoad::Status::LibraryMissing);
    load = library.LoadFrom("kernel32.dll");
    EXPECT_EQ(load.status, DriverAgentLoad::Status::NameMissing);
    EXPECT_EQ(load.detail, "DriverAgentOpen");
    EXPECT_FALSE(DriverAgentLoaded());
    EXPECT_FALSE(TestSrom()); // with no library every test fails, nothing crashes
    CloseAdapterAccess();
}

TEST(DriverAgentLoading, UnloadingUninstallsTheTable) {
    {
        DriverAgentLibrary library;
        ASSERT_TRUE(library.Load());
        EXPECT_TRUE(DriverAgentLoaded());
    }
    EXPECT_FALSE(DriverAgentLoaded());
}

} // namespace
