// Writes one page's values under the driver's Parameters key, all or nothing.
#pragma once

#include "platform/registry_api.h"
#include "settings/save_result.h"
#include "settings/vb_registry.h"

#include <array>
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

// Which of a page's values the driver's key holds, and what loading showed for each (as text):
// a value that was missing is written only once what the page shows for it has changed, so OK
// never stores a placeholder the user did not choose.
template <std::size_t N> class LoadedValues {
  public:
    using Shown = std::array<std::string, N>;

    void Loaded(const std::array<bool, N>& stored, const Shown& shown) {
        stored_ = stored;
        atLoad_ = shown;
    }
    bool ShouldWrite(std::size_t value, const Shown& shown) const {
        return stored_[value] || shown[value] != atLoad_[value];
    }
    // After a save that wrote everything it should: those values are stored now.
    void Saved(const Shown& shown) {
        for (std::size_t value = 0; value < N; ++value)
            stored_[value] = ShouldWrite(value, shown);
    }

  private:
    std::array<bool, N> stored_{};
    Shown atLoad_;
};

} // namespace talvex
