#include "diag/result_tips.h"

#include "hardware/crc.h"
#include "hardware/registers.h"
#include "hardware/srom.h"
#include "hardware/srom_image.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace talvex {

const char kLibraryFaultTip[] =
    "The hardware-access library failed during this test instead of returning a result.";

namespace {

template <typename... Args> std::string Format(const char* format, Args... args) {
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

uint32_t StoredSromCrc() {
    uint32_t stored = 0;
    for (std::size_t k = 4; k-- > 0;)
        stored = (stored << 8) | SromImage[kSromCrcOffset + k];
    return stored;
}

uint32_t ByteSwapped(uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xFF00) | ((value << 8) & 0xFF0000) | (value << 24);
}

bool CoveredBytesAre(uint8_t value) {
    return std::all_of(SromImage.begin(), SromImage.begin() + kSromCrcOffset,
                       [value](uint8_t b) { return b == value; });
}

// The likeliest reason first: words that could not be read leave zeros behind, so an EEPROM that
// never got ready also looks like an all-zero SROM.
std::string LikelySromCause(uint32_t stored, uint32_t computed) {
    constexpr int kWords = static_cast<int>(kSromBytes / 2);
    if (SromWordsRead < kWords)
        return Format(" The EEPROM never became ready: word %d and the words after it could not "
                      "be read.",
                      SromWordsRead);
    if (CoveredBytesAre(0xFF)) return " The SROM is erased: every byte reads FF.";
    if (CoveredBytesAre(0x00)) return " The SROM reads all zero.";
    if (ByteSwapped(stored) == computed && stored != computed)
        return " The stored CRC-32 holds the right value in the wrong byte order.";
    return "";
}

} // namespace

std::string ExplainRegisterTest(bool passed) {
    if (passed)
        return Format("Wrote %04X to the test register and read %04X back.", kTestPattern,
                      TestRegisterReadBack);
    std::string tip =
        Format("Wrote %04X to the test register but read %04X back (bits %04X differ).",
               kTestPattern, TestRegisterReadBack, (TestRegisterReadBack ^ kTestPattern) & 0xFFFF);
    if (TestRegisterReadBack == 0xFFFF)
        tip += " All ones: nothing answers at the adapter's address.";
    return tip;
}

std::string ExplainSromTest(bool passed) {
    const uint32_t stored = StoredSromCrc();
    const uint32_t computed = Crc32(SromImage, kSromCrcOffset);
    if (passed) return Format("The stored CRC-32 %08X matches the SROM's contents.", stored);
    return Format("Stored CRC-32 %08X, computed %08X.", stored, computed) +
           LikelySromCause(stored, computed);
}

std::string ExplainCableTest(bool passed) {
    if (passed) return Format("Cable status %02X: bit 7 is set, the link is up.", CableStatus);
    return Format("Cable status %02X: bit 7 is clear, there is no link. Check the cable and the "
                  "port it is plugged into.",
                  CableStatus);
}

} // namespace talvex
