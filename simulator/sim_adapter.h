// The simulated adapter: its I/O register range, EEPROM and SROM, and the fault switches.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace talvex::sim {

enum Fault : unsigned {
    kSromCrc = 1u << 0,       // stored CRC wrong
    kSromErased = 1u << 1,    // every SROM word 0xFFFF
    kLinkDown = 1u << 2,      // cable status bit 7 clear
    kStuckRegister = 1u << 3, // test register bit 0 stuck at 1
    kEepromBusy = 1u << 4,    // the EEPROM never finishes a read
    kNoDevice = 1u << 5,      // DaOpenDeviceA fails
    kNoIoRange = 1u << 6,     // DaOpenIoRangeA fails
    kLibraryFault = 1u << 7,  // reading the cable status register faults inside the library
    kResumeFault = 1u << 8,   // the resume command to the adapter control register faults
};

// Parses a comma-separated list of fault names (blanks around names allowed); every other word
// is passed to unknown and otherwise ignored.
unsigned ParseFaults(std::string_view list,
                     const std::function<void(std::string_view)>& unknown = {});

// How long the busy bit stays set after a read command: both the polls of the control register
// that still see it and the time must have passed.
struct EepromTiming {
    unsigned busyPolls = 0;
    std::chrono::microseconds busyTime{40};
};
// "<n>polls" or "<n>us"; nullopt for anything else.
std::optional<EepromTiming> ParseEepromTiming(std::string_view text);

inline constexpr std::size_t kSromWords = 128;
using SromWords = std::array<uint16_t, kSromWords>;
// Locally administered, unicast.
inline constexpr std::array<uint8_t, 6> kDefaultMac = {0x02, 0x1B, 0x0A, 0xC8, 0x5E, 0x01};
// A valid image: kDefaultMac at bytes 32..37, CRC-32 of bytes 0..251 at 252..255, LSB first.
SromWords DefaultSrom();

// Library status codes the simulator writes; the program never reads them.
enum Status : int32_t {
    kStatusOk = 0,
    kStatusNotOpen = 1,
    kStatusBadHandle = 2,
    kStatusBadOffset = 3,
    kStatusNoDevice = 4,
    kStatusNoIoRange = 5,
};

class Adapter {
  public:
    static constexpr uint32_t kRangeSize = 0x80;
    static constexpr uint16_t kTestRegisterAtPowerOn = 0x1A2B;

    explicit Adapter(unsigned faults = 0, EepromTiming timing = {});

    unsigned Faults() const { return faults_; }
    // Register access of width 1, 2 or 4 bytes; outside the range reads give all ones.
    uint32_t Read(uint32_t offset, unsigned width, int32_t& status);
    void Write(uint32_t offset, unsigned width, uint32_t value, int32_t& status);

    SromWords& Srom() { return srom_; }
    // Every dword written to the adapter control register, in order.
    const std::vector<uint32_t>& ControlWrites() const { return controlWrites_; }
    unsigned EepromCommands() const { return eepromCommands_; }

  private:
    uint32_t Load(uint32_t offset, unsigned width) const;
    void Store(uint32_t offset, unsigned width, uint32_t value);
    void StartEepromRead(uint16_t command);
    void AdvanceEeprom(bool polled);

    unsigned faults_;
    EepromTiming timing_;
    SromWords srom_;
    std::array<uint8_t, kRangeSize> regs_{};
    std::vector<uint32_t> controlWrites_;
    unsigned eepromCommands_ = 0;
    bool eepromBusy_ = false;
    unsigned pollsLeft_ = 0;
    std::chrono::steady_clock::time_point readDone_;
};

} // namespace talvex::sim
