#include "hardware/srom_image.h"

#include "hardware/crc.h"
#include "hardware/srom.h"

#include <algorithm>

namespace talvex {

std::array<uint8_t, kSromBytes> SromImage{};
std::array<uint8_t, 6> NAinSROM{};

bool LoadSromImage() {
    std::array<uint16_t, kSromBytes / 2> words{};
    ReadSromWords(words, static_cast<int16_t>(words.size()));
    for (std::size_t i = 0; i < words.size(); ++i) {
        SromImage[2 * i] = words[i] & 0xFF;
        SromImage[2 * i + 1] = ShiftRight16(words[i], 8) & 0xFF;
    }
    std::copy_n(SromImage.begin() + kSromAddressOffset, NAinSROM.size(), NAinSROM.begin());
    return true;
}

bool TestSrom() {
    BuildCrcTable();
    LoadSromImage();
    uint32_t stored = 0;
    for (std::size_t k = 4; k-- > 0;)
        stored = (stored << 8) | SromImage[kSromCrcOffset + k];
    return Crc32(SromImage, kSromCrcOffset) == stored;
}

} // namespace talvex
