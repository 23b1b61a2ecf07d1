#include "hardware/crc.h"
#include "hardware/driver_agent.h"
#include "hardware/srom.h"
#include "hardware/srom_image.h"
#include "hardware_doubles.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace talvex;
using talvex::test::BusCall;
using talvex::test::FakeTiming;
using talvex::test::RecordingBus;

namespace {

constexpr uint32_t H = RecordingBus::kRangeHandle;

sim::EepromTiming BusyPolls(unsigned polls) {
    return {polls, std::chrono::microseconds{0}};
}

// Control-register reads report busy for good once `after` read commands have been issued.
void NeverReadyAfter(RecordingBus& bus, unsigned after) {
    bus.readOverride = [&bus, after](const BusCall& c) -> std::optional<uint32_t> {
        if (c.offset != 0x36 || bus.EepromCommands().size() <= after) return std::nullopt;
        return c.value | 0x8000;
    };
}

TEST(SromWord, OnlyTheLowAddressByteReachesTheCommand) {
    RecordingBus bus;
    FakeTiming timing;
    uint16_t value = 0;
    ASSERT_TRUE(ReadSromWord(0x0105, value));
    const std::vector<BusCall> expected = {{"W16", 0x34, 0x0000, H},
                                           {"W16", 0x36, 0x0205, H},
                                           {"R16", 0x36, 0x0205, H},
                                           {"R16", 0x34, bus.adapter.Srom()[5], H}};
    EXPECT_EQ(bus.Registers(), expected);
    EXPECT_EQ(value, bus.adapter.Srom()[5]);
    EXPECT_TRUE(timing.sleeps.empty());
    // Every bit of the low byte, and none of the high one, whatever the rest of the address.
    for (auto [address, command] : {std::pair<uint16_t, uint32_t>{0x00FF, 0x02FF},
                                    {0xFF80, 0x0280}, {0x7F7F, 0x027F}}) {
        bus.calls.clear();
        ReadSromWord(address, value);
        ASSERT_GE(bus.Registers().size(), 2u);
        EXPECT_EQ(bus.Registers()[1], (BusCall{"W16", 0x36, command, H})) << std::hex << address;
    }
}

TEST(SromWord, SleepsOneMillisecondPerBusyPollAndReadsDataOnlyWhenReady) {
    RecordingBus bus(BusyPolls(3));
    FakeTiming timing;
    uint16_t value = 0;
    ASSERT_TRUE(ReadSromWord(7, value));
    EXPECT_EQ(timing.sleeps, (std::vector<uint32_t>{1, 1, 1}));
    const auto regs = bus.Registers();
    ASSERT_EQ(regs.size(), 7u); // two writes, four polls, one data read
    for (int i = 2; i < 5; ++i)
        EXPECT_EQ(regs[i], (BusCall{"R16", 0x36, 0x8207, H}));
    EXPECT_EQ(regs[5], (BusCall{"R16", 0x36, 0x0207, H}));
    EXPECT_EQ(regs[6].offset, 0x34u);
    EXPECT_EQ(value, bus.adapter.Srom()[7]);
}

TEST(SromWord, GivesUpAtTheBoundWithoutReadingData) {
    RecordingBus bus;
    FakeTiming timing;
    NeverReadyAfter(bus, 0);
    uint16_t value = 0x1234;
    EXPECT_FALSE(ReadSromWord(3, value));
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(timing.sleeps.size(), std::size_t(kEepromReadyBound.count())); // 1 ms each
    EXPECT_EQ(bus.Registers().back(), (BusCall{"R16", 0x36, 0x8203, H})); // polled after sleeping
}

TEST(SromWord, RealWaitForADeadEepromEndsWithinTheBound) {
    RecordingBus bus;
    NeverReadyAfter(bus, 0);
    const auto start = std::chrono::steady_clock::now();
    uint16_t value = 0;
    EXPECT_FALSE(ReadSromWord(0, value));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, kEepromReadyBound);
    EXPECT_LT(waited, std::chrono::milliseconds(1000)); // generous: sanitizers and loaded hosts
}

TEST(SromWords, IssueOneCommandPerAddressInOrder) {
    RecordingBus bus;
    FakeTiming timing;
    std::vector<uint16_t> buffer(130, 0);
    EXPECT_TRUE(ReadSromWords(buffer, 128));
    std::vector<uint16_t> expected(128);
    for (uint16_t a = 0; a < 128; ++a)
        expected[a] = 0x0200 | a;
    EXPECT_EQ(bus.EepromCommands(), expected);
    EXPECT_TRUE(std::equal(bus.adapter.Srom().begin(), bus.adapter.Srom().end(), buffer.begin()));
    EXPECT_EQ(buffer[128], 0);
}

TEST(SromWords, CountIsLimitedToTheBuffer) {
    RecordingBus bus;
    FakeTiming timing;
    std::vector<uint16_t> buffer(4, 0);
    EXPECT_TRUE(ReadSromWords(buffer, 128));
    EXPECT_TRUE(ReadSromWords(buffer, -1));
    EXPECT_EQ(bus.EepromCommands().size(), 4u);
}

TEST(SromImage, StopsAtTheFirstDeadWordAndKeepsTheRestZero) {
    RecordingBus bus;
    FakeTiming timing;
    NeverReadyAfter(bus, 10); // words 0..9 read, word 10 never ready
    SromImage.fill(0xEE);
    EXPECT_TRUE(LoadSromImage());
    EXPECT_EQ(bus.EepromCommands().size(), 11u);
    EXPECT_EQ(SromImage[19], bus.adapter.Srom()[9] >> 8);
    EXPECT_TRUE(
        std::all_of(SromImage.begin() + 20, SromImage.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_FALSE(TestSrom());
}

TEST(SromImage, WordsSplitLowByteFirst) {
    RecordingBus bus;
    FakeTiming timing;
    bus.adapter.Srom()[16] = 0xABCD;
    bus.adapter.Srom()[5] = 0x8001;
    LoadSromImage();
    EXPECT_EQ(SromImage[32], 0xCD);
    EXPECT_EQ(SromImage[33], 0xAB);
    EXPECT_EQ(NAinSROM[0], 0xCD);
    EXPECT_EQ(NAinSROM[1], 0xAB);
    EXPECT_EQ(SromImage[10], 0x01);
    EXPECT_EQ(SromImage[11], 0x80);
}

// Stores crc in words 126 and 127, least or most significant byte first.
void StoreCrc(sim::SromWords& words, uint32_t crc, bool msbFirst) {
    if (msbFirst) crc = (crc >> 24) | (crc >> 8 & 0xFF00) | (crc << 8 & 0xFF0000) | (crc << 24);
    words[126] = uint16_t(crc);
    words[127] = uint16_t(crc >> 16);
}

uint32_t CrcOfWords(const sim::SromWords& words) {
    std::array<uint8_t, 252> bytes;
    for (std::size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = uint8_t(words[k / 2] >> 8 * (k % 2));
    return Crc32(bytes, bytes.size());
}

TEST(SromTest, PassesOnTheSimulatedImageAndFailsWhenErased) {
    RecordingBus bus;
    FakeTiming timing;
    EXPECT_TRUE(TestSrom());
    EXPECT_EQ(NAinSROM, sim::kDefaultMac);
    bus.adapter.Srom().fill(0xFFFF);
    EXPECT_FALSE(TestSrom());
}

TEST(SromTest, ComparesTheWholeValueStoredLeastSignificantByteFirst) {
    RecordingBus bus;
    FakeTiming timing;
    sim::SromWords& words = bus.adapter.Srom();
    // A CRC whose top byte is below 0x10, so its text has fewer than eight digits.
    while (CrcOfWords(words) >> 28 != 0)
        ++words[0];
    const uint32_t crc = CrcOfWords(words);
    StoreCrc(words, crc, false);
    EXPECT_TRUE(TestSrom()) << std::hex << crc;
    StoreCrc(words, crc, true);
    EXPECT_FALSE(TestSrom()) << std::hex << crc;
}

} // namespace
