// CRC-32 (IEEE 802.3, reflected, table-driven) and logical right shifts.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace talvex {

// Empty (all 0) until BuildCrcTable runs; CalcCrc32 builds it when it finds it empty.
extern std::array<uint32_t, 256> CrcTable;

void BuildCrcTable();
// x shifted right by n with zeros shifted in; 0 for n at or beyond the width.
uint16_t ShiftRight16(uint16_t x, uint8_t n);
uint32_t ShiftRight32(uint32_t x, uint8_t n);

// CRC-32 of bytes 0 to count-1 (count is limited to the bytes given).
uint32_t Crc32(std::span<const uint8_t> bytes, std::size_t count);
// The same as uppercase hexadecimal without leading zeros ("CBF43926", "0").
std::string CalcCrc32(std::span<const uint8_t> bytes, std::size_t count);
std::string Crc32Text(uint32_t crc);

} // namespace talvex
