#include "hardware/crc.h"

#include <algorithm>
#include <cstdio>

namespace talvex {

std::array<uint32_t, 256> CrcTable{};

namespace {

constexpr uint32_t kReflectedPolynomial = 0xEDB88320;

} // namespace

void BuildCrcTable() {
    for (uint32_t i = 0; i < CrcTable.size(); ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? ShiftRight32(c, 1) ^ kReflectedPolynomial : ShiftRight32(c, 1);
        CrcTable[i] = c;
    }
}

// Shifting by the full width or more is undefined in C++; the logical answer is 0.
uint16_t ShiftRight16(uint16_t x, uint8_t n) {
    return n < 16 ? uint16_t(x >> n) : 0;
}

uint32_t ShiftRight32(uint32_t x, uint8_t n) {
    return n < 32 ? x >> n : 0;
}

uint32_t Crc32(std::span<const uint8_t> bytes, std::size_t count) {
    // Entry 1 is never 0 in a built table; an unbuilt one would give a wrong CRC silently.
    if (CrcTable[1] == 0) BuildCrcTable();
    uint32_t crc = 0xFFFFFFFF;
    for (uint8_t b : bytes.first(std::min(count, bytes.size())))
        crc = ShiftRight32(crc, 8) ^ CrcTable[(b ^ crc) & 0xFF];
    return ~crc;
}

std::string Crc32Text(uint32_t crc) {
    char text[9];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(crc));
    return text;
}

std::string CalcCrc32(std::span<const uint8_t> bytes, std::size_t count) {
    return Crc32Text(Crc32(bytes, count));
}

} // namespace talvex
