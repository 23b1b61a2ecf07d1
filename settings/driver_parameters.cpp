#include "settings/driver_parameters.h"

#include "settings/numbers.h"
#include "settings/vb_registry.h"

#include <algorithm>
#include <cctype>

namespace talvex {
namespace {

constexpr char kNoValue[] = "No Value";
constexpr const char* kCheckStates[] = {"unchecked", "checked", "grayed"};

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<ParameterValue> ParseListValue(const DriverParameter& parameter,
                                             std::string_view text) {
    const auto& entries = parameter.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!SameTextIgnoringCase(text, entries[i].text)) continue;
        const bool byIndex = parameter.kind == ParameterKind::ListIndex;
        return byIndex ? static_cast<std::int32_t>(i) : entries[i].stored;
    }
    const auto number = ParseInt32(text);
    if (!number) return std::nullopt;
    const bool listed = parameter.kind == ParameterKind::ListIndex
                            ? *number >= 0 && *number < static_cast<std::int32_t>(entries.size())
                            : std::any_of(entries.begin(), entries.end(),
                                          [&](const ListEntry& e) { return e.stored == *number; });
    if (!listed) return std::nullopt;
    return *number;
}

// 0, 1 and 2 are a check box's states; any other stored number still means "on".
int CheckState(std::int32_t stored) {
    return stored >= 0 && stored <= 2 ? stored : 1;
}

} // namespace

const DriverParameter* FindDriverParameter(std::string_view name) {
    for (const DriverParameter& parameter : kDriverParameters)
        if (SameTextIgnoringCase(name, parameter.valueName) ||
            SameTextIgnoringCase(name, parameter.label))
            return &parameter;
    return nullptr;
}

// Nothing is trimmed or guessed: " 64" is not a number, as it is not in the page's text box.
std::optional<ParameterValue> ParseParameterValue(const DriverParameter& parameter,
                                                  std::string_view text) {
    switch (parameter.kind) {
    case ParameterKind::ListIndex:
    case ParameterKind::ListValue: return ParseListValue(parameter, text);
    case ParameterKind::Text:
        // The value is stored up to its first NUL: a text with one would lose its end silently.
        if (text.find('\0') != std::string_view::npos) return std::nullopt;
        return std::string(text);
    case ParameterKind::Number:
        if (const auto number = ParseInt32(text)) return *number;
        return std::nullopt;
    case ParameterKind::Flag:
        if (text == "0" || text == "1") return std::int32_t{text == "1"};
        return std::nullopt;
    case ParameterKind::VlanId:
        if (const auto id = ParseDigits(text); id && *id <= kMaxVlanId) return *id;
        return std::nullopt;
    }
    return std::nullopt;
}

std::string RefusalText(const DriverParameter& parameter) {
    const std::string label = parameter.label;
    switch (parameter.kind) {
    case ParameterKind::ListIndex:
    case ParameterKind::ListValue: return label + " has no such entry.";
    case ParameterKind::Text: return label + " can't hold a NUL character.";
    case ParameterKind::Number: return label + " must be a whole number.";
    case ParameterKind::Flag: return label + " is either on or off.";
    case ParameterKind::VlanId: return "VLAN ID Invalid.";
    }
    return {};
}

std::string AcceptedText(const DriverParameter& parameter) {
    switch (parameter.kind) {
    case ParameterKind::ListIndex:
    case ParameterKind::ListValue: {
        std::string text = "It takes one of: ";
        for (const ListEntry& entry : parameter.entries) {
            if (&entry != parameter.entries.data()) text += ", ";
            text += std::string(entry.text) + " (" + std::to_string(entry.stored) + ")";
        }
        return text + ".";
    }
    case ParameterKind::Text: return "It takes any text; the driver uses 12 hexadecimal digits.";
    case ParameterKind::Number: return "It takes a decimal number from -2147483648 to 2147483647.";
    case ParameterKind::Flag: return "It takes 0 (off) or 1 (on).";
    case ParameterKind::VlanId: return "It takes 0 to 4094, in digits.";
    }
    return {};
}

std::string ShownText(const DriverParameter& parameter, const ParameterValue& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return text->substr(0, text->find('\0'));
    const std::int32_t number = std::get<std::int32_t>(value);
    const auto& entries = parameter.entries;
    switch (parameter.kind) {
    case ParameterKind::ListIndex:
        return number >= 0 && number < static_cast<std::int32_t>(entries.size())
                   ? entries[static_cast<std::size_t>(number)].text
                   : kNoEntry;
    case ParameterKind::ListValue: {
        const auto match = std::find_if(entries.begin(), entries.end(),
                                        [&](const ListEntry& e) { return e.stored == number; });
        return match == entries.end() ? kNoEntry : match->text;
    }
    case ParameterKind::Flag: return kCheckStates[CheckState(number)];
    case ParameterKind::Text:
    case ParameterKind::Number:
    case ParameterKind::VlanId: break;
    }
    return std::to_string(number);
}

void WriteParameter(ParameterWriter& writer, const std::string& driverKeyName,
                    const DriverParameter& parameter, const ParameterValue& value) {
    const std::string subKey = DriverParametersPath(driverKeyName) + parameter.valueName;
    if (const auto* text = std::get_if<std::string>(&value))
        writer.WriteString(subKey, text->substr(0, text->find('\0')));
    else
        writer.WriteDword(subKey, std::get<std::int32_t>(value));
}

namespace {

bool IsText(const RegistryValue& value) {
    return value.type == kRegSz || value.type == kRegExpandSz;
}

// The per-kind rules of reading. A number is taken from a REG_DWORD or from decimal text that
// another tool wrote; a missing or unreadable one reads as 0. The address is kept as read,
// terminator included: the text box shows it up to the NUL and save writes only that much. An
// address stored as anything but text (a DWORD, binary bytes) shows as read but is not held:
// rewritten as text up to its first NUL it would lose its bytes.
ParameterReading ReadParameter(const DriverParameter& parameter,
                               std::optional<RegistryValue> stored) {
    ParameterReading reading{std::move(stored), std::int32_t{0}, false, {}};
    const auto& value = reading.stored;
    if (parameter.kind == ParameterKind::Text) {
        reading.value = value ? std::string(value->data.begin(), value->data.end()) : kNoValue;
        reading.held = value && IsText(*value);
    } else {
        const auto number = value ? NumberOf(*value) : std::nullopt;
        const std::int32_t read = number.value_or(0);
        reading.value = parameter.kind == ParameterKind::Flag ? CheckState(read) : read;
        reading.held = number.has_value();
    }
    // A missing threshold is 0, which no entry stores: the list selects none, as for 2048.
    reading.shown = ShownText(parameter, reading.value);
    return reading;
}

} // namespace

// One read per value: the stored type and bytes, from which the page's value follows.
ParameterReadings ReadParameters(RegistryApi& api, const std::string& driverKeyName,
                                 std::span<const Param> which) {
    vbRegistry registry(api);
    const std::string P = DriverParametersPath(driverKeyName);
    ParameterReadings readings;
    for (Param param : which) {
        const DriverParameter& parameter = Parameter(param);
        readings[static_cast<std::size_t>(param)] = ReadParameter(
            parameter, registry.ReadValue(kHKeyLocalMachine, P + parameter.valueName));
    }
    return readings;
}

ParameterReadings ReadParameters(RegistryApi& api, const std::string& driverKeyName) {
    constexpr auto kEvery = [] {
        std::array<Param, kParamCount> every{};
        for (std::size_t i = 0; i < kParamCount; ++i)
            every[i] = static_cast<Param>(i);
        return every;
    }();
    return ReadParameters(api, driverKeyName, kEvery);
}

// The whole stored number is compared: 65792 is not 256 in disguise.
int ListIndexOf(const DriverParameter& parameter, std::int32_t stored) {
    const auto& entries = parameter.entries;
    const auto match = std::find_if(entries.begin(), entries.end(),
                                    [&](const ListEntry& entry) { return entry.stored == stored; });
    return match == entries.end() ? -1 : static_cast<int>(match - entries.begin());
}

} // namespace talvex
