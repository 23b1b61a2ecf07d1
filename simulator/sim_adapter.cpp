#include "simulator/sim_adapter.h"

#include "hardware/registers.h"
#include "hardware/srom.h"

#include <charconv>
#include <string>

namespace talvex::sim {

namespace {

struct FaultName {
    std::string_view name;
    Fault fault;
};

constexpr FaultName kFaultNames[] = {
    {"srom-crc", kSromCrc},         {"srom-erased", kSromErased},
    {"link-down", kLinkDown},       {"stuck-register", kStuckRegister},
    {"eeprom-busy", kEepromBusy},   {"no-device", kNoDevice},
    {"no-io-range", kNoIoRange},    {"library-fault", kLibraryFault},
    {"resume-fault", kResumeFault},
};

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Bit by bit rather than by table: the stand-in's CRC should not share code with the CRC module
// it is there to check.
uint32_t BitwiseCrc32(const uint8_t* bytes, std::size_t count) {
    uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

// Only the low two bits of the cable status register are not the link bit; the simulated
// adapter reports them set so that a test reading more than bit 7 would notice.
constexpr uint8_t kCableOtherBits = 0x05;

} // namespace

unsigned ParseFaults(std::string_view list, const std::function<void(std::string_view)>& unknown) {
    unsigned faults = 0;
    while (!list.empty()) {
        const auto comma = list.find(',');
        const std::string_view word = Trim(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        if (word.empty()) continue;
        bool known = false;
        for (const FaultName& f : kFaultNames)
            if (f.name == word) faults |= f.fault, known = true;
        if (!known && unknown) unknown(word);
    }
    return faults;
}

std::optional<EepromTiming> ParseEepromTiming(std::string_view text) {
    text = Trim(text);
    unsigned n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc{} || end == text.data()) return std::nullopt;
    const std::string_view unit(end, text.data() + text.size() - end);
    if (unit == "polls") return EepromTiming{n, std::chrono::microseconds{0}};
    if (unit == "us") return EepromTiming{0, std::chrono::microseconds{n}};
    return std::nullopt;
}

SromWords DefaultSrom() {
    std::array<uint8_t, kSromWords * 2> bytes{};
    // Filler that is not symmetric and has bytes on both sides of 0x80, so that a swapped or
    // sign-extended byte shows up in the CRC.
    for (std::size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<uint8_t>(k * 37 + 11);
    for (std::size_t j = 0; j < kDefaultMac.size(); ++j)
        bytes[32 + j] = kDefaultMac[j];
    const uint32_t crc = BitwiseCrc32(bytes.data(), 252);
    for (int k = 0; k < 4; ++k)
        bytes[252 + k] = static_cast<uint8_t>(crc >> (8 * k));
    SromWords words{};
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return words;
}

Adapter::Adapter(unsigned faults, EepromTiming timing)
    : faults_(faults), timing_(timing), srom_(DefaultSrom()) {
    if (faults_ & kSromCrc) srom_[126] ^= 0x0001;
    if (faults_ & kSromErased) srom_.fill(0xFFFF);
    regs_[kCableStatusRegister] = kCableOtherBits | ((faults_ & kLinkDown) ? 0 : kCableLinkBit);
    Store(kTestRegister, 2, kTestRegisterAtPowerOn);
}

uint32_t Adapter::Load(uint32_t offset, unsigned width) const {
    uint32_t value = 0;
    for (unsigned k = width; k-- > 0;)
        value = value << 8 | regs_[offset + k];
    return value;
}

void Adapter::Store(uint32_t offset, unsigned width, uint32_t value) {
    for (unsigned k = 0; k < width; ++k)
        regs_[offset + k] = static_cast<uint8_t>(value >> 8 * k);
}

uint32_t Adapter::Read(uint32_t offset, unsigned width, int32_t& status) {
    if (offset >= kRangeSize || width > kRangeSize - offset) {
        status = kStatusBadOffset;
        return width >= 4 ? 0xFFFFFFFF : (1u << 8 * width) - 1;
    }
    status = kStatusOk;
    const bool polled =
        offset <= kEepromControlRegister + 1 && offset + width > kEepromControlRegister;
    AdvanceEeprom(polled);
    return Load(offset, width);
}

void Adapter::Write(uint32_t offset, unsigned width, uint32_t value, int32_t& status) {
    if (offset >= kRangeSize || width > kRangeSize - offset) {
        status = kStatusBadOffset;
        return;
    }
    status = kStatusOk;
    if (offset == kCableStatusRegister) return; // read only
    if (offset == kAdapterControlRegister && width == 4) controlWrites_.push_back(value);
    if (offset == kEepromControlRegister && width == 2) return StartEepromRead(uint16_t(value));
    Store(offset, width, value);
    if ((faults_ & kStuckRegister) && offset <= kTestRegister && offset + width > kTestRegister)
        regs_[kTestRegister] |= 0x01;
}

void Adapter::StartEepromRead(uint16_t command) {
    // Only the read command is modelled; any other value just sits in the register.
    if ((command & 0xFF00) != kEepromReadCommand) {
        Store(kEepromControlRegister, 2, command & ~kEepromBusyBit);
        return;
    }
    ++eepromCommands_;
    eepromBusy_ = true;
    pollsLeft_ = timing_.busyPolls;
    readDone_ = std::chrono::steady_clock::now() + timing_.busyTime;
    Store(kEepromControlRegister, 2, command | kEepromBusyBit);
}

// The busy bit clears once enough polls have seen it and the read time has passed; only then
// does the word appear in the data register, as on the real part.
void Adapter::AdvanceEeprom(bool polled) {
    if (!eepromBusy_ || (faults_ & kEepromBusy)) return;
    if (pollsLeft_ > 0) {
        if (polled) --pollsLeft_;
        return;
    }
    if (std::chrono::steady_clock::now() < readDone_) return;
    eepromBusy_ = false;
    const auto command = static_cast<uint16_t>(Load(kEepromControlRegister, 2));
    const uint8_t address = command & 0xFF;
    Store(kEepromDataRegister, 2, address < srom_.size() ? srom_[address] : 0xFFFF);
    Store(kEepromControlRegister, 2, command & ~kEepromBusyBit);
}

} // namespace talvex::sim
