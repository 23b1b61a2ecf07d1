// Adapter discovery: the first NetworkCards entry (1 to 5) whose product name is the supported
// driver's becomes the adapter every page works on.
#include "shell/find_adapter.h"

#include "settings/parameter_writer.h"
#include "settings/vb_registry.h"
#include "shell/form1.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace talvex {
namespace {

constexpr char kNetworkCardsKey[] = R"(SOFTWARE\Microsoft\Windows NT\currentVersion\NetworkCards\)";
constexpr char kSupportedProduct[] = "TVR8Q";
constexpr char kNoValue[] = "No Value";
constexpr int kFirstEntry = 1;
constexpr int kLastEntry = 5;

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

} // namespace

std::optional<AdapterRecord> FindSupportedAdapter(RegistryApi& api) {
    vbRegistry registry(api);
    for (int n = kFirstEntry; n <= kLastEntry; ++n) {
        const std::string entry = kNetworkCardsKey + std::to_string(n) + "\\";
        const std::string title = registry.ReadString(kHKeyLocalMachine, entry + "Title", kNoValue);
        const std::string product =
            registry.ReadString(kHKeyLocalMachine, entry + "ProductName", kNoValue);
        const std::string service =
            registry.ReadString(kHKeyLocalMachine, entry + "ServiceName", kNoValue);
        if (!SameTextIgnoringCase(WithoutTrailingNuls(product), kSupportedProduct)) continue;
        // A service name that can't be read names no driver key, and neither does one that
        // would lead the pages out of it (an inner NUL cuts the path short, a backslash
        // descends into another key): such an entry is passed over like any other. A path
        // built from the "No Value" placeholder would point at a key that isn't the driver's.
        const std::string_view serviceName = WithoutTrailingNuls(service);
        if (service == kNoValue || !NamesADriverKey(serviceName)) continue;
        // Only the terminators go: a value stored without one keeps its last letter.
        return AdapterRecord{static_cast<std::int16_t>(n), std::string(serviceName), title};
    }
    return std::nullopt;
}

bool Form1::FindAdapter() {
    const auto adapter = FindSupportedAdapter(registry_);
    if (!adapter) {
        services_.ShowNoAdapterFound();
        return false;
    }
    CurrentAdapter = adapter->entry;
    DriverKeyName = adapter->driverKeyName;
    AdapterTitle = adapter->title;
    return true;
}

} // namespace talvex
