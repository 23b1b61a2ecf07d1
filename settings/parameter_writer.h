// Writes one page's values under the driver's Parameters key, all or nothing.
#pragma once

#include "platform/registry_api.h"
#include "settings/save_result.h"
#include "settings/vb_registry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace talvex {

// "SYSTEM\CurrentControlSet\Services\<driver>\Parameters\": the values' SubKey prefix.
std::string DriverParametersPath(const std::string& driverKeyName);

class ParameterWriter {
  public:
    explicit ParameterWriter(RegistryApi& api) : registry_(api) {}

    // After a failed write every later write is skipped.
    void WriteDword(const std::string& subKey, std::int32_t value);
    void WriteString(const std::string& subKey, const std::string& value);
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
