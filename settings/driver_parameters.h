// The driver parameters the Advanced and Virtual LAN pages edit: their names, their lists, what a
// value given for one must be, and how each is read and written. The pages and the console tool
// both go through here, so a rule changed here changes for both.
#pragma once

#include "platform/registry_api.h"
#include "settings/parameter_writer.h"
#include "settings/vb_registry.h"

#include <array>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace talvex {

inline constexpr int kMaxVlanId = 4094;

enum class ParameterKind {
    ListIndex, // the stored number is the index of a list entry (ConnectionType)
    ListValue, // the stored number is a list entry's own number (TxStartThreshold)
    Text,      // a REG_SZ (NetworkAddress)
    Number,    // a whole 32-bit number in decimal (the buffer counts)
    Flag,      // a check box: 0 off, 1 on (EnableTagging, EnableGVRP)
    VlanId,    // digits only, 0 to kMaxVlanId
};

struct ListEntry {
    const char* text;
    std::int32_t stored;
};

struct DriverParameter {
    const char* valueName; // under the driver's Parameters key
    const char* label;     // as its page names it
    ParameterKind kind;
    std::span<const ListEntry> entries; // for the list kinds
};

inline constexpr ListEntry kConnectionTypes[] = {
    {"AutoSense", 0}, {"10BaseT", 1}, {"10BaseT FD", 2}, {"100BaseTX", 3}, {"100BaseTX FD", 4},
};
// Store and Forward is 0x1FFC, not 8192.
inline constexpr ListEntry kThresholds[] = {
    {"256", 256}, {"512", 512}, {"768", 768}, {"1024", 1024}, {"Store and Forward", 8188},
};

// The parameters in the order OK writes them: the Virtual LAN page's, then the Advanced page's.
// Param names the table's rows, in the same order.
// clang-format off
inline constexpr DriverParameter kDriverParameters[] = {
    {"EnableTagging",    "Enable Virtual LAN", ParameterKind::Flag,      {}},
    {"EnableGVRP",       "Enable GVRP",        ParameterKind::Flag,      {}},
    {"VLANID",           "VLAN ID",            ParameterKind::VlanId,    {}},
    {"ConnectionType",   "Connection Type",    ParameterKind::ListIndex, kConnectionTypes},
    {"NetworkAddress",   "NetworkAddress",     ParameterKind::Text,      {}},
    {"RxBuffer",         "Receive Buffers",    ParameterKind::Number,    {}},
    {"TxBuffer",         "Transmit Buffers",   ParameterKind::Number,    {}},
    {"TxStartThreshold", "Transmit Threshold", ParameterKind::ListValue, kThresholds},
};
// clang-format on
enum class Param {
    EnableTagging,
    EnableGVRP,
    VLANID,
    ConnectionType,
    NetworkAddress,
    RxBuffer,
    TxBuffer,
    TxStartThreshold,
};
inline constexpr std::size_t kParamCount = std::size(kDriverParameters);
static_assert(static_cast<std::size_t>(Param::TxStartThreshold) + 1 == kParamCount,
              "one Param for each row of kDriverParameters");

inline std::span<const DriverParameter, kParamCount> DriverParameters() {
    return kDriverParameters;
}
inline const DriverParameter& Parameter(Param param) {
    return kDriverParameters[static_cast<std::size_t>(param)];
}
// By value name or label, ignoring case; null for none.
const DriverParameter* FindDriverParameter(std::string_view name);

// A value for a parameter: a number, stored as a REG_DWORD, or the NetworkAddress text.
using ParameterValue = std::variant<std::int32_t, std::string>;

// The value a text gives the parameter, as the page would take it; nullopt when the page would
// refuse it. A list takes an entry's text or its stored number.
std::optional<ParameterValue> ParseParameterValue(const DriverParameter& parameter,
                                                  std::string_view text);
// Why a refused text was refused, in the page's own words ("VLAN ID Invalid."), and what it takes.
std::string RefusalText(const DriverParameter& parameter);
std::string AcceptedText(const DriverParameter& parameter);

// The value as its page shows it: a list entry's text ("no entry" for a number the list lacks),
// the text, the number, or the check box's state.
std::string ShownText(const DriverParameter& parameter, const ParameterValue& value);
inline constexpr char kNoEntry[] = "no entry";

// Writes one value under the driver's key: a number as a REG_DWORD, the text up to its first NUL.
void WriteParameter(ParameterWriter& writer, const std::string& driverKeyName,
                    const DriverParameter& parameter, const ParameterValue& value);

// What the driver's key holds for one parameter, and what its page makes of it.
struct ParameterReading {
    std::optional<RegistryValue> stored; // type and bytes as stored; nullopt when missing
    // As the page holds it: a number read from a REG_DWORD or from decimal text (0 when missing
    // or unreadable; a flag as its check box state), the address as read, terminator included
    // ("No Value" when missing).
    ParameterValue value;
    // Whether the key holds it in a form the page reads back: a value not held is written only
    // once the user changed it, so OK never stores a placeholder the user did not choose.
    bool held = false;
    std::string shown; // as the page shows it
};
using ParameterReadings = std::array<ParameterReading, kParamCount>;
ParameterReadings ReadParameters(RegistryApi& api, const std::string& driverKeyName);
// Only the parameters named (a page's own); the others' readings stay empty.
ParameterReadings ReadParameters(RegistryApi& api, const std::string& driverKeyName,
                                 std::span<const Param> which);
inline const ParameterReading& Reading(const ParameterReadings& readings, Param param) {
    return readings[static_cast<std::size_t>(param)];
}
// The index of the list entry whose stored number this is; -1 for none.
int ListIndexOf(const DriverParameter& parameter, std::int32_t stored);

} // namespace talvex
