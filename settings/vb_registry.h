// vbRegistry: the one class through which the program reads and writes the registry.
#pragma once

#include "platform/registry_api.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvex {

// A stored value exactly as the registry holds it.
struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const RegistryValue&) const = default;
};

// The number of a REG_DWORD of four bytes; nullopt for any other value.
std::optional<std::uint32_t> DwordOf(const RegistryValue& value);
// A number the driver reads either way: a REG_DWORD, or decimal text another tool wrote;
// nullopt for anything else.
std::optional<std::int32_t> NumberOf(const RegistryValue& value);
// A REG_DWORD holding number, as the registry stores it (little-endian).
RegistryValue DwordValue(std::uint32_t number);

// A text read by ReadString without the terminators it keeps.
std::string_view WithoutTrailingNuls(std::string_view text);

class vbRegistry {
  public:
    explicit vbRegistry(RegistryApi& api) : api_(api) {}
    ~vbRegistry(); // Class_Terminate
    vbRegistry(const vbRegistry&) = delete;
    vbRegistry& operator=(const vbRegistry&) = delete;

    bool WriteString(RegKey RootName, const std::string& SubKey, const std::string& KeyValue);
    bool WriteDword(RegKey RootName, const std::string& SubKey, std::int32_t KeyValue);
    std::int32_t ReadLong(RegKey RootName, const std::string& SubKey,
                          const std::string& DefaultValue);
    std::string ReadString(RegKey RootName, const std::string& SubKey,
                           const std::string& DefaultValue);
    bool DeleteString(RegKey RootName, const std::string& SubKey);
    std::string ReadDefaultString(RegKey RootName, const std::string& SubKey,
                                  const std::string& DefaultValue);
    bool WriteDefaultString(RegKey RootName, const std::string& SubKey,
                            const std::string& KeyValue);

    // For the settings pages: a number stored as a REG_DWORD or as decimal text; nullopt when
    // the value is missing or holds anything else.
    std::optional<std::int32_t> ReadNumber(RegKey RootName, const std::string& SubKey);
    // The stored type and bytes, to be put back exactly by WriteValue; nullopt when missing.
    std::optional<RegistryValue> ReadValue(RegKey RootName, const std::string& SubKey);
    bool WriteValue(RegKey RootName, const std::string& SubKey, const RegistryValue& value);
    // Deletes the key at Path with its values (not one with subkeys); true when no such key is
    // left, also when there was none.
    bool DeleteKey(RegKey RootName, const std::string& Path);
    // Returns once what was written to the key's hive is on disk; false when the key can't be
    // opened. Path is a key's path, not a value's.
    bool FlushKey(RegKey RootName, const std::string& Path);
    // The status of the registry function that ended the last write or delete (0 = success).
    std::int32_t LastWriteResult() const { return lastWriteResult_; }

  private:
    void SplitKeyPath(const std::string& SubKey);
    void HoldKey(RegKey key);
    void OpenKeyPath(RegKey RootName);
    void CreateKeyPath(RegKey RootName);
    bool Wrote(std::int32_t status);

    RegistryApi& api_;
    RegKey CurrentKey = 0;
    std::string KeyPath;
    std::string ValueName;
    std::string LastValue;
    std::int32_t lastWriteResult_ = kErrorSuccess;
};

} // namespace talvex
