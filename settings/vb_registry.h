// vbRegistry: the one class through which the program reads and writes the registry.
#pragma once

#include "platform/registry_api.h"

#include <cstdint>
#include <string>

namespace talvex {

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

  private:
    void SplitKeyPath(const std::string& SubKey);
    void HoldKey(RegKey key);
    void OpenKeyPath(RegKey RootName);
    void CreateKeyPath(RegKey RootName);

    RegistryApi& api_;
    RegKey CurrentKey = 0;
    std::string KeyPath;
    std::string ValueName;
    std::string LastValue;
};

} // namespace talvex
