#include "hardware/crc.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string_view>
#include <vector>

using namespace talvex;

namespace {

std::span<const uint8_t> Bytes(std::string_view s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

TEST(Crc32, KnownValuesAsText) {
    BuildCrcTable();
    const std::vector<uint8_t> ones(252, 0xFF), zeros(252, 0x00);
    EXPECT_EQ(CalcCrc32(Bytes("123456789"), 9), "CBF43926");
    EXPECT_EQ(CalcCrc32(ones, 252), "A7340E2F");
    EXPECT_EQ(CalcCrc32(zeros, 252), "A66359F1");
    EXPECT_EQ(CalcCrc32(ones, 0), "0");
    EXPECT_EQ(Crc32Text(0x0000ABCD), "ABCD");
    EXPECT_EQ(Crc32Text(0x0A05B0C0), "A05B0C0");
}

TEST(Crc32, AnUnbuiltTableIsBuiltBeforeUse) {
    CrcTable.fill(0);
    EXPECT_EQ(CalcCrc32(Bytes("123456789"), 9), "CBF43926");
}

TEST(Crc32, CountCoversAPrefixAndStopsAtTheEnd) {
    EXPECT_EQ(Crc32(Bytes("123456789xyz"), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(Bytes("123456789"), 1000), 0xCBF43926u);
}

TEST(Crc32, AgreesWithZlibOnRandomBuffers) {
    BuildCrcTable();
    std::mt19937 rng(20261207);
    std::vector<uint8_t> buffer;
    for (int run = 0; run < 3000; ++run) {
        buffer.resize(rng() % 300);
        for (uint8_t& b : buffer)
            b = static_cast<uint8_t>(rng());
        const auto expected = ::crc32(::crc32(0, nullptr, 0), buffer.data(), uInt(buffer.size()));
        ASSERT_EQ(Crc32(buffer, buffer.size()), expected) << "length " << buffer.size();
    }
}

TEST(Shifts, AreLogicalAndZeroBeyondTheWidth) {
    EXPECT_EQ(ShiftRight16(0x8001, 8), 0x80);
    EXPECT_EQ(ShiftRight16(0xABCD, 8), 0xAB);
    EXPECT_EQ(ShiftRight16(0x7FFF, 8), 0x7F);
    EXPECT_EQ(ShiftRight16(0xFFFF, 15), 0x1);
    EXPECT_EQ(ShiftRight32(0xFFFFFFFF, 8), 0x00FFFFFFu);
    EXPECT_EQ(ShiftRight32(0x80000000, 8), 0x00800000u);
    EXPECT_EQ(ShiftRight32(0x80000000, 31), 0x1u);
    // Beyond the width C++ would be undefined; the logical answer is 0.
    EXPECT_EQ(ShiftRight16(0xFFFF, 16), 0);
    EXPECT_EQ(ShiftRight32(0xFFFFFFFF, 32), 0u);
    EXPECT_EQ(ShiftRight32(0xFFFFFFFF, 255), 0u);
}

} // namespace
