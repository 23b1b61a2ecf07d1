// The registry API over advapi32's ANSI functions. Handles cross the seam as small 32-bit ids
// (an HKEY is a 64-bit pointer on Win64); the predefined roots keep their documented values.
#pragma once

#include "platform/registry_api.h"
#include "platform/win32/win32.h"

#include <map>

namespace talvex {

class Win32Registry : public RegistryApi {
  public:
    Win32Registry() = default;
    ~Win32Registry() override; // closes the keys still open through this object
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

    std::int32_t CreateKey(RegKey root, const std::string& path, RegKey* result) override;
    std::int32_t OpenKey(RegKey root, const std::string& path, RegKey* result) override;
    std::int32_t QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* count) override;
    std::int32_t SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t count) override;
    std::int32_t DeleteValue(RegKey key, const std::string& name) override;
    std::int32_t DeleteKey(RegKey key, const std::string& subKey) override;
    std::int32_t CloseKey(RegKey key) override;
    std::int32_t QueryValue(RegKey root, const std::string& path, char* data,
                            std::int32_t* count) override;
    std::int32_t SetValue(RegKey root, const std::string& path, std::uint32_t type,
                          const char* data, std::uint32_t count) override;
    std::int32_t FlushKey(RegKey key) override;

    std::size_t OpenHandleCount() const { return open_.size(); }

  private:
    HKEY ToHkey(RegKey key) const;
    RegKey Remember(HKEY hkey);
    std::int32_t Open(RegKey root, const std::string& path, RegKey* result, bool create);

    std::map<RegKey, HKEY> open_; // ids of the keys opened through this object
};

} // namespace talvex
