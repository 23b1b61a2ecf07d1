// SROM (serial EEPROM) word reads through the EEPROM data and control registers.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>

namespace talvex {

inline constexpr uint16_t kEepromReadCommand = 0x0200;
inline constexpr uint16_t kEepromBusyBit = 0x8000;
// WaitEepromReady gives up at the first busy poll made this long after it began.
inline constexpr std::chrono::milliseconds kEepromReadyBound{50};

// Polls the busy bit, sleeping 1 ms between busy polls; false when the bound ran out.
bool WaitEepromReady();
// Reads the word at the low 8 bits of address; value is left alone when the EEPROM never got
// ready.
bool ReadSromWord(uint16_t address, uint16_t& value);
// How many words the last ReadSromWords read before a word could not be read.
extern int SromWordsRead;

// Reads words 0 to count-1 into buffer (count limited to its size), stopping at the first word
// that cannot be read. Always true.
bool ReadSromWords(std::span<uint16_t> buffer, int16_t count);

} // namespace talvex
