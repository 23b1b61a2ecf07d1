// The General page and vbNetBiosInfo on in-memory controls and services.
#include "tests/doubles/memory_form1.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "shell/form1.h"
#include "shell/vb_netbios_info.h"

#include <gtest/gtest.h>

#include <string>

namespace talvex {
namespace {

using vbNetBiosInfo::ReadMacAddress;

TEST(ReadMacAddress, SixUpperCasePairsEachFollowedByOneSpace) {
    MemoryServices services;
    services.adapterAddress = {0x00, 0x0A, 0xF0, 0x4C, 0x05, 0xFF};
    const std::string text = ReadMacAddress(services, 0);
    EXPECT_EQ(text, "00 0A F0 4C 05 FF ");
    EXPECT_EQ(text.size(), 18u);
    EXPECT_EQ(services.heapBlocksHeld, 0); // the block went back to the heap
}

TEST(ReadMacAddress, ResetsThenAsksTheAdapterOfTheLanaForItsStatusIn680Bytes) {
    MemoryServices services;
    ReadMacAddress(services, 3);
    ASSERT_EQ(services.netbiosCalls.size(), 2u);
    const Services::Ncb& reset = services.netbiosCalls[0];
    EXPECT_EQ(reset.command, 0x32);
    EXPECT_EQ(reset.lana, 3);
    EXPECT_EQ(std::string(reset.callName, 16), std::string(16, '\0'));
    EXPECT_EQ(reset.buffer, nullptr);
    EXPECT_EQ(reset.length, 0);
    const Services::Ncb& status = services.netbiosCalls[1];
    EXPECT_EQ(status.command, 0x33);
    EXPECT_EQ(status.lana, 3);
    EXPECT_EQ(std::string(status.callName, 16), "*               ");
    EXPECT_NE(status.buffer, nullptr);
    EXPECT_EQ(status.length, 680);
    EXPECT_EQ(services.heapRequests, std::vector<std::size_t>{680});
}

TEST(ReadMacAddress, NoStatusGivesTheEmptyTextAndNeverZerosPassedOffAsAnAddress) {
    MemoryServices failing;
    failing.statusReturnCode = 0x23; // no such LANA
    EXPECT_EQ(ReadMacAddress(failing, 0), "");
    EXPECT_EQ(failing.heapBlocksHeld, 0);

    MemoryServices noHeap;
    noHeap.heapHasRoom = false;
    EXPECT_EQ(ReadMacAddress(noHeap, 0), "");
    EXPECT_EQ(noHeap.netbiosCalls.size(), 1u); // the reset only: no status call without a buffer

    // A status that did not fit the buffer still begins with the adapter's address.
    MemoryServices incomplete;
    incomplete.statusReturnCode = 0x06;
    incomplete.adapterAddress = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ReadMacAddress(incomplete, 0), "00 00 00 00 00 00 ");
}

class GeneralPageTest : public testing::Test {
  protected:
    GeneralPageTest() {
        registry.SeedString(kHKeyLocalMachine,
                            R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)",
                            "ProductName", "TVR8Q");
        registry.SeedString(kHKeyLocalMachine,
                            R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)",
                            "ServiceName", "TVR8Q1");
        // Only a..z change: the characters just outside that range ('`', '{') stay as they are.
        services.hostName = "z`Talvex-pc7{a";
        services.ipAddress = "10.0.2.15";
    }

    MemoryRegistry registry;
    MemoryServices services;
    MemoryForm1 ui;
    MemoryGeneralPage& page = ui.general;
    Form1 form{ui.Controls(), services, registry};
};

TEST_F(GeneralPageTest, StartUpShowsHostNameInCapitalsAddressesAndNoBorders) {
    ASSERT_TRUE(form.InitializeWindow());
    EXPECT_EQ(page.txtLocalHostName.Text(), "Z`TALVEX-PC7{A");
    EXPECT_EQ(page.txtIPAddress.Text(), "10.0.2.15");
    EXPECT_EQ(page.txtEthernetAddress.Text(), "02 1A 3B 4C 5D 6E ");
    for (const MemoryTextBox* box :
         {&page.txtLocalHostName, &page.txtEthernetAddress, &page.txtIPAddress})
        EXPECT_FALSE(box->HasBorder());
    EXPECT_FALSE(page.TransImg1.Highlighted());
}

TEST_F(GeneralPageTest, NothingRefreshesThePageAfterStartUp) {
    ASSERT_TRUE(form.InitializeWindow());
    services.hostName = "renamed";
    services.ipAddress = "10.9.9.9";
    services.adapterAddress = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(form.InitializeWindow()); // what Cancel runs
    for (int tab : {4, 2, 3, 1}) {
        ui.tabs.Select(tab);
        form.WyncorTabStrip_Click();
    }
    EXPECT_EQ(page.txtLocalHostName.Text(), "Z`TALVEX-PC7{A");
    EXPECT_EQ(page.txtIPAddress.Text(), "10.0.2.15");
    EXPECT_EQ(page.txtEthernetAddress.Text(), "02 1A 3B 4C 5D 6E ");
    EXPECT_EQ(services.netbiosCalls.size(), 2u);
}

TEST_F(GeneralPageTest, TheGeneralTabClearsTheBannerFlagAndOtherTabsLeaveIt) {
    ASSERT_TRUE(form.InitializeWindow());
    page.TransImg1.SetHighlighted(true);
    ui.tabs.Select(4);
    form.WyncorTabStrip_Click();
    EXPECT_TRUE(page.TransImg1.Highlighted());
    ui.tabs.Select(1);
    form.WyncorTabStrip_Click();
    EXPECT_FALSE(page.TransImg1.Highlighted());
}

TEST_F(GeneralPageTest, NoAdapterLeavesThePageUntouched) {
    MemoryRegistry empty;
    MemoryForm1 other;
    Form1 lonely{other.Controls(), services, empty};
    EXPECT_FALSE(lonely.InitializeWindow());
    EXPECT_EQ(other.general.txtLocalHostName.Text(), "");
    EXPECT_TRUE(services.netbiosCalls.empty());
}

} // namespace
} // namespace talvex
