#include "shell/vb_netbios_info.h"

#include <array>
#include <cstring>
#include <memory>

namespace talvex::vbNetBiosInfo {
namespace {

constexpr std::uint8_t kNcbReset = 0x32;
constexpr std::uint8_t kNcbAdapterStatus = 0x33;
constexpr std::uint8_t kNrcGoodReturn = 0x00;
// The buffer was too small for every name the adapter holds; the address still came back.
constexpr std::uint8_t kNrcIncomplete = 0x06;
constexpr std::uint16_t kStatusBytes = 680;
constexpr int kAddressBytes = 6;
// Asks for the adapter's own status rather than a remote name's.
constexpr char kLocalAdapterName[] = "*               ";
static_assert(sizeof kLocalAdapterName == 16 + 1);

// The block goes back to the process heap however the read ends.
struct HeapBlockReturn {
    Services* services;
    void operator()(std::uint8_t* block) const { services->HeapFree(block); }
};

std::string AddressText(const std::array<std::uint8_t, kStatusBytes>& status) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < kAddressBytes; ++i) {
        text += kHex[status[i] >> 4];
        text += kHex[status[i] & 0x0F];
        text += ' ';
    }
    return text;
}

} // namespace

std::string ReadMacAddress(Services& services, std::int32_t lana) {
    Services::Ncb ncb;
    ncb.command = kNcbReset;
    ncb.lana = static_cast<std::uint8_t>(lana);
    services.Netbios(ncb);

    ncb.command = kNcbAdapterStatus;
    ncb.lana = static_cast<std::uint8_t>(lana);
    std::memcpy(ncb.callName, kLocalAdapterName, sizeof ncb.callName);
    ncb.length = kStatusBytes;

    std::unique_ptr<std::uint8_t[], HeapBlockReturn> block(services.HeapAlloc(kStatusBytes),
                                                           HeapBlockReturn{&services});
    if (!block) return {};
    ncb.buffer = block.get();
    const std::uint8_t status = services.Netbios(ncb);
    // A failed status call leaves the zero-filled block as it was: that is no address, and
    // showing "00 00 00 00 00 00 " would pass it off as one.
    if (status != kNrcGoodReturn && status != kNrcIncomplete) return {};
    std::array<std::uint8_t, kStatusBytes> adapterStatus;
    std::memcpy(adapterStatus.data(), block.get(), kStatusBytes);
    return AddressText(adapterStatus);
}

} // namespace talvex::vbNetBiosInfo
