#include "hardware/srom.h"

#include "hardware/driver_agent.h"
#include "hardware/registers.h"
#include "hardware/timing.h"

#include <algorithm>

namespace talvex {

namespace {

uint16_t ReadEepromControl() {
    return DriverAgent().IoReadWord(hIoRange, kEepromControlRegister, &SromStatus);
}

} // namespace

// 50 ms is far beyond any EEPROM word read (tens of microseconds) and still allows four more
// polls when each 1 ms sleep lasts a whole 15.6 ms scheduler tick. The deadline is checked only
// before sleeping, so the last poll always follows the last sleep, and a word costs at most the
// bound plus one sleep: about 51 ms with fine sleeps, under 66 ms with coarse ones.
bool WaitEepromReady() {
    HardwareTiming& timing = Timing();
    const auto start = timing.Now();
    uint16_t control = ReadEepromControl();
    while (control & kEepromBusyBit) {
        if (timing.Now() - start >= kEepromReadyBound) return false;
        timing.Sleep(1);
        control = ReadEepromControl();
    }
    return true;
}

bool ReadSromWord(uint16_t address, uint16_t& value) {
    const DriverAgentApi& da = DriverAgent();
    da.IoWriteWord(hIoRange, kEepromDataRegister, 0, &SromStatus);
    da.IoWriteWord(hIoRange, kEepromControlRegister, kEepromReadCommand | (address & 0x00FF),
                   &SromStatus);
    if (!WaitEepromReady()) return false;
    value = da.IoReadWord(hIoRange, kEepromDataRegister, &SromStatus);
    return true;
}

int SromWordsRead = 0;

bool ReadSromWords(std::span<uint16_t> buffer, int16_t count) {
    const std::size_t n = std::min<std::size_t>(std::max<int16_t>(count, 0), buffer.size());
    SromWordsRead = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!ReadSromWord(static_cast<uint16_t>(i), buffer[i])) break;
        ++SromWordsRead;
    }
    return true;
}

} // namespace talvex
