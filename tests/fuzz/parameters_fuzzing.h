// What the settings fuzz targets share: reading the fuzzer's bytes, an installed adapter whose
// driver key holds whatever the input says, and a snapshot of that key to compare after OK.
#pragma once

#include "fuzz_input.h"
#include "tests/doubles/memory_form1.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "settings/numbers.h"
#include "settings/parameter_writer.h"
#include "settings/vb_registry.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace talvex::fuzzing {

inline constexpr char kCard[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)";
inline constexpr char kService[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1)";
inline constexpr char kParams[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters)";

// The pages' eight values, then names the pages never touch.
inline constexpr const char* kValueNames[] = {"ConnectionType",
                                              "NetworkAddress",
                                              "RxBuffer",
                                              "TxBuffer",
                                              "TxStartThreshold",
                                              "EnableTagging",
                                              "EnableGVRP",
                                              "VLANID",
                                              "BaseAddress",
                                              "rxbuffer ",
                                              ""};
inline constexpr int kPageValues = 8;

// Keys that may hold values beside the driver's own: a subkey named like a value, another subkey
// and the service key above Parameters.
inline const std::vector<std::string>& WatchedKeys() {
    static const std::vector<std::string> keys = {kParams,
                                                  std::string(kParams) + "\\NetworkAddress",
                                                  std::string(kParams) + "\\VLANID\\x", kService};
    return keys;
}

inline std::vector<std::uint8_t> Le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

// Numbers at the edges of what the lists, the check boxes and the VLAN ID take.
inline std::uint32_t InterestingNumber(Input& in) {
    static constexpr std::uint32_t kNumbers[] = {
        0,    1,    2,    3,    4,    5,     7,          256,   512,        768,        1024,
        8188, 8192, 2048, 4094, 4095, 65792, 0xFFFFFFFF, 32767, 0x80000000, 0x7FFFFFFF, 0x0001FFFC};
    const std::uint8_t pick = in.Byte();
    return pick < 2 * std::size(kNumbers) ? kNumbers[pick % std::size(kNumbers)]
                                          : pick * 0x01000193u;
}

// One value as another tool may have left it: a DWORD of any length, a number as text with
// signs, blanks or NULs around it, an address with or without its terminator, or any type and
// bytes at all.
inline MemoryRegistry::StoredValue FuzzValue(Input& in) {
    static constexpr std::uint32_t kTypes[] = {kRegSz,      kRegDword, kRegBinary, kRegExpandSz,
                                               kRegMultiSz, 0,         5,          11};
    const std::uint8_t shape = in.Byte();
    switch (shape % 5) {
    case 0: return {kRegDword, Le32(InterestingNumber(in))};
    case 1: {
        const std::uint8_t decoration = in.Byte();
        std::string text = std::to_string(static_cast<std::int32_t>(InterestingNumber(in)));
        if (decoration & 1) text.insert(text.begin(), '+');
        if (decoration & 2) text.insert(text.begin(), ' ');
        if (decoration & 4) text += '\0';
        if (decoration & 8) text += '\0';
        if (decoration & 16) text += 'x';
        return {(decoration & 32) ? kRegExpandSz : kRegSz, {text.begin(), text.end()}};
    }
    case 2: {
        std::string text = (shape & 8) ? "02004C4F4F50" : "02-00-4c-4f-4f-50";
        if (shape & 16) text += '\0';
        if (shape & 32) text += in.Text(in.Byte() % 8);
        return {kRegSz, {text.begin(), text.end()}};
    }
    case 3: return {kTypes[(shape >> 3) % std::size(kTypes)], in.Bytes(in.Byte())};
    default: {
        // A DWORD that is not four bytes long.
        auto bytes = in.Bytes(in.Byte() % 9);
        return {kRegDword, bytes.size() == 4 ? std::vector<std::uint8_t>{} : bytes};
    }
    }
}

// The adapter as discovery finds it (the service name in either case), and a driver key built
// from the input: missing, empty or holding any mix of values and subkeys.
inline void SeedAdapter(MemoryRegistry& registry, Input& in) {
    const std::uint8_t layout = in.Byte();
    registry.SeedString(kHKeyLocalMachine, kCard, "Title", "Adapter");
    registry.SeedString(kHKeyLocalMachine, kCard, "ProductName", "TVR8Q");
    registry.SeedString(kHKeyLocalMachine, kCard, "ServiceName",
                        (layout & 1) ? "tvr8q1" : "TVR8Q1");
    if (layout & 2) registry.SeedString(kHKeyLocalMachine, kService, "Parameters", "not a key");
    const int records = (layout >> 2) % 20;
    for (int i = 0; i < records && !in.empty(); ++i) {
        const std::uint8_t where = in.Byte();
        const std::string& key = WatchedKeys()[(where >> 4) % 3];
        auto value = FuzzValue(in);
        registry.Seed(kHKeyLocalMachine, key, kValueNames[where % std::size(kValueNames)],
                      value.type, std::move(value.data));
    }
}

// Every watched value and whether each watched key exists.
struct Snapshot {
    std::map<std::pair<std::string, std::string>, std::optional<MemoryRegistry::StoredValue>>
        values;
    std::vector<bool> keys;
    bool operator==(const Snapshot&) const = default;

    std::optional<MemoryRegistry::StoredValue> Value(const std::string& name) const {
        return values.at({kParams, name});
    }
};

inline Snapshot Take(const MemoryRegistry& registry) {
    Snapshot snapshot;
    for (const std::string& key : WatchedKeys()) {
        snapshot.keys.push_back(registry.KeyExists(kHKeyLocalMachine, key));
        for (const char* name : kValueNames)
            snapshot.values[{key, name}] = registry.Lookup(kHKeyLocalMachine, key, name);
    }
    snapshot.values[{kService, "Parameters"}] =
        registry.Lookup(kHKeyLocalMachine, kService, "Parameters");
    return snapshot;
}

// The number a page reads from a value, as the driver reads it.
inline std::optional<std::int32_t> NumberOf(RegistryApi& registry, const std::string& name) {
    vbRegistry reader(registry);
    return reader.ReadNumber(kHKeyLocalMachine, DriverParametersPath("TVR8Q1") + name);
}

// Everything outside the pages' eight values is left as it was: other names, other keys, and
// keys are neither created nor removed by anything but a page value's own write.
inline void RequireOnlyPageValuesChanged(const Snapshot& before, const Snapshot& after) {
    for (const auto& [where, value] : before.values) {
        bool pageValue = false;
        for (int i = 0; i < kPageValues; ++i)
            pageValue |= where.first == kParams && where.second == kValueNames[i];
        if (!pageValue) Require(after.values.at(where) == value);
    }
    // A page's write creates the service and Parameters keys when they were missing; the
    // subkeys below Parameters are never touched.
    Require(before.keys[1] == after.keys[1] && before.keys[2] == after.keys[2]);
    Require((!before.keys[0] || after.keys[0]) && (!before.keys[3] || after.keys[3]));
}

// A registry that refuses one write: the failAt-th value set (from 1) after arming.
class RefusingRegistry : public MemoryRegistry {
  public:
    std::int32_t SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t count) override {
        if (failAt > 0 && ++sets == failAt) return kErrorAccessDenied;
        return MemoryRegistry::SetValueEx(key, name, type, data, count);
    }
    int failAt = 0;
    int sets = 0;
};

// How OK ended for one page, from the messages it showed.
enum class PageOutcome { Skipped, Refused, Failed, Written };

struct OkOutcome {
    PageOutcome advanced = PageOutcome::Skipped;
    PageOutcome vlan = PageOutcome::Skipped;
};

inline OkOutcome ClickOk(Form1& form, const MemoryServices& services) {
    const std::size_t shown = services.messages.size();
    OkOutcome outcome;
    if (form.bAdvPageVisited) outcome.advanced = PageOutcome::Written;
    if (form.bVlanPageVisited) outcome.vlan = PageOutcome::Written;
    form.cbOK_Click();
    for (std::size_t i = shown; i < services.messages.size(); ++i) {
        const std::string& text = services.messages[i].text;
        if (text == "VLAN ID Invalid.") outcome.vlan = PageOutcome::Refused;
        if (text.find(" must be a whole number.") != std::string::npos)
            outcome.advanced = PageOutcome::Refused;
        const std::size_t end = text.find(" settings could not be saved");
        if (end == std::string::npos) continue;
        const std::string pages = text.substr(0, end);
        if (pages.find("Virtual LAN") != std::string::npos) outcome.vlan = PageOutcome::Failed;
        if (pages.find("Advanced") != std::string::npos) outcome.advanced = PageOutcome::Failed;
    }
    return outcome;
}

inline std::string UpToNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

// After an OK that wrote the page: each value holds the number the page showed, or it was not
// there (or not a number) before, is still as it was, and the page shows what a missing value
// shows.
inline void RequireNumber(RegistryApi& registry, const Snapshot& before, const Snapshot& after,
                          const std::string& name, std::optional<std::int32_t> shown,
                          bool showsMissing) {
    if (shown && NumberOf(registry, name) == shown) return;
    Require(after.Value(name) == before.Value(name));
    Require(showsMissing);
}

inline void RequireAdvancedWritten(RegistryApi& registry, const Snapshot& before,
                                   const Snapshot& after, const AdvancedPage& page) {
    RequireNumber(registry, before, after, "ConnectionType", page.AdvConnectionType,
                  page.AdvConnectionType == 0);
    RequireNumber(registry, before, after, "RxBuffer", page.AdvRxBuffer, page.AdvRxBuffer == 0);
    RequireNumber(registry, before, after, "TxBuffer", page.AdvTxBuffer, page.AdvTxBuffer == 0);
    const int index = page.AdvThresholdIndex;
    const auto& values = page.ThresholdValues;
    if (index >= 0 && index < static_cast<int>(values.size())) {
        RequireNumber(registry, before, after, "TxStartThreshold", values[index], false);
    } else {
        // No entry selected: the key holds a number the list lacks, written back as it was, or
        // no number at all, and then nothing was written.
        Require(index == -1);
        const auto stored = NumberOf(registry, "TxStartThreshold");
        if (stored)
            Require(std::find(values.begin(), values.end(), *stored) == values.end());
        else
            Require(after.Value("TxStartThreshold") == before.Value("TxStartThreshold"));
    }

    const auto address = after.Value("NetworkAddress");
    const std::string text = UpToNul(page.AdvNetworkAddress);
    const std::vector<std::uint8_t> written(text.c_str(), text.c_str() + text.size() + 1);
    if (address && address->type == kRegSz && address->data == written) return;
    // Not written: it was missing and still shows so, or it is not text and was not edited.
    Require(address == before.Value("NetworkAddress"));
    if (!address) {
        Require(page.AdvNetworkAddress == "No Value");
    } else {
        Require(address->type != kRegSz && address->type != kRegExpandSz);
        Require(text == UpToNul({address->data.begin(), address->data.end()}));
    }
}

inline void RequireVlanWritten(RegistryApi& registry, const Snapshot& before, const Snapshot& after,
                               const MemoryVlanPage& page) {
    const int tagging = page.chkEnableVLAN.Value();
    const int gvrp = page.chkEnableGVRP.Value();
    const std::string id = page.txtVLAN_ID.Text();
    RequireNumber(registry, before, after, "EnableTagging", tagging == 1 ? 1 : 0, tagging == 0);
    RequireNumber(registry, before, after, "EnableGVRP", gvrp, gvrp == 0);
    RequireNumber(registry, before, after, "VLANID", ParseDigits(id), id == "0");
}

// Each page holds what it showed when written, and is exactly as it was otherwise.
inline void RequireOkResult(RegistryApi& registry, const Snapshot& before, const Snapshot& after,
                            const OkOutcome& outcome, Form1& form, const MemoryForm1& ui) {
    RequireOnlyPageValuesChanged(before, after);
    if (outcome.advanced == PageOutcome::Written) {
        RequireAdvancedWritten(registry, before, after, form.advanced);
    } else {
        for (int i = 0; i < 5; ++i)
            Require(after.Value(kValueNames[i]) == before.Value(kValueNames[i]));
    }
    if (outcome.vlan == PageOutcome::Written) {
        RequireVlanWritten(registry, before, after, ui.vlan);
    } else {
        for (int i = 5; i < kPageValues; ++i)
            Require(after.Value(kValueNames[i]) == before.Value(kValueNames[i]));
    }
}

// One input: the driver key it describes, then what the target does with the rest of it.
template <typename Run> int OnSeededAdapter(const std::uint8_t* data, std::size_t size, Run run) {
    Input in(data, size);
    RefusingRegistry registry;
    SeedAdapter(registry, in);
    run(registry, in);
    return 0;
}

} // namespace talvex::fuzzing
