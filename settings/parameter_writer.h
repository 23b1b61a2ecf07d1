// Writes one page's values under the driver's Parameters key, all or nothing.
#pragma once

#include "platform/registry_api.h"
#include "settings/save_result.h"
#include "settings/vb_registry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvex {

// "SYSTEM\CurrentControlSet\Services\<driver>\Parameters\": the values' SubKey prefix.
std::string DriverParametersPath(const std::string& driverKeyName);
// Whether a service name names a driver key: an inner NUL would cut the path short, a backslash
// descend into another key.
bool NamesADriverKey(std::string_view serviceName);

class ParameterWriter {
  public:
    explicit ParameterWriter(RegistryApi& api) : registry_(api) {}

    // After a failed write every later write is skipped.
    void WriteDword(const std::string& subKey, std::int32_t value);
    void WriteString(const std::string& subKey, const std::string& value);
    // The type and bytes as given; and a value deleted, when it exists.
    void WriteValue(const std::string& subKey, const RegistryValue& value);
    void DeleteValue(const std::string& subKey);
    // Written when every write succeeded; otherwise Failed, with what was written before the
    // failure put back as it was.
    SaveResult Finish();

  private:
    template <typename Write> void Write(const std::string& subKey, Write&& write);

    struct Previous {
        std::string subKey;
        std::optional<RegistryValue> value; // nullopt: the value did not exist
    };
    vbRegistry registry_;
    std::vector<Previous> written_;
    std::int32_t error_ = kErrorSuccess;
};

} // namespace talvex
