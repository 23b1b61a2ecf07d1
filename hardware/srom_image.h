// The SROM image, the permanent network address in it, and the SROM test.
#pragma once

#include <array>
#include <cstdint>

namespace talvex {

inline constexpr std::size_t kSromBytes = 256;
inline constexpr std::size_t kSromAddressOffset = 32; // six bytes, first octet first
inline constexpr std::size_t kSromCrcOffset = 252;    // CRC-32 of bytes 0..251, LSB first

// Both are overwritten in full by every LoadSromImage.
extern std::array<uint8_t, kSromBytes> SromImage;
extern std::array<uint8_t, 6> NAinSROM;

// Reads the 128 words into SromImage (unread words as 0) and takes NAinSROM from it. Always true.
bool LoadSromImage();
// Loads the image and checks it against its stored CRC-32.
bool TestSrom();

} // namespace talvex
