// The registry calls the registry class makes, shaped like advapi32's ANSI functions so that the
// class is defined by the calls it makes. Results are Win32 status codes (0 = ERROR_SUCCESS).
// Two implementations: platform/win32 (advapi32) and platform/memory (tests).
#pragma once

#include <cstdint>
#include <string>

namespace talvex {

// A key handle as the registry class holds it. Predefined roots carry their documented 32-bit
// values (HKEY_LOCAL_MACHINE = 0x80000002); 0 means "no key".
using RegKey = std::uint32_t;

// Windows' values under names that don't collide with <windows.h>'s macros.
inline constexpr RegKey kHKeyLocalMachine = 0x80000002u; // HKEY_LOCAL_MACHINE
inline constexpr std::uint32_t kRegSz = 1;               // REG_SZ
inline constexpr std::uint32_t kRegExpandSz = 2;         // REG_EXPAND_SZ
inline constexpr std::uint32_t kRegBinary = 3;           // REG_BINARY
inline constexpr std::uint32_t kRegDword = 4;            // REG_DWORD
inline constexpr std::uint32_t kRegMultiSz = 7;          // REG_MULTI_SZ
inline constexpr std::int32_t kErrorSuccess = 0;         // ERROR_SUCCESS
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorAccessDenied = 5;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorInvalidParameter = 87;
inline constexpr std::int32_t kErrorBadPathname = 161;
inline constexpr std::int32_t kErrorMoreData = 234;
inline constexpr std::int32_t kErrorNoAccess = 998;
inline constexpr std::int32_t kErrorKeyDeleted = 1018;

class RegistryApi {
  public:
    virtual ~RegistryApi() = default;

    // RegCreateKeyA: opens root\path, creating it and missing parents. An empty path gives a
    // new handle to root's key.
    virtual std::int32_t CreateKey(RegKey root, const std::string& path, RegKey* result) = 0;
    // RegOpenKeyA: opens an existing key. An empty path hands root itself back, unchecked.
    virtual std::int32_t OpenKey(RegKey root, const std::string& path, RegKey* result) = 0;
    // RegQueryValueExA: data may be null (size query); count is in/out. A buffer too small gets
    // ERROR_MORE_DATA, the needed count and no data.
    virtual std::int32_t QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                                      std::uint8_t* data, std::uint32_t* count) = 0;
    // RegSetValueExA.
    virtual std::int32_t SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t count) = 0;
    // RegDeleteValueA.
    virtual std::int32_t DeleteValue(RegKey key, const std::string& name) = 0;
    // RegDeleteKeyA: refused (5) while the key has subkeys; an empty name deletes key itself.
    virtual std::int32_t DeleteKey(RegKey key, const std::string& subKey) = 0;
    // RegCloseKey.
    virtual std::int32_t CloseKey(RegKey key) = 0;
    // RegQueryValueA: the unnamed value of root\path; data may be null; count is in/out. A value
    // never set reads as the empty text (count 1).
    virtual std::int32_t QueryValue(RegKey root, const std::string& path, char* data,
                                    std::int32_t* count) = 0;
    // RegSetValueA: the unnamed value of root\path, created as needed; REG_SZ only, and the count
    // is ignored in favour of the text's own length + 1.
    virtual std::int32_t SetValue(RegKey root, const std::string& path, std::uint32_t type,
                                  const char* data, std::uint32_t count) = 0;
    // RegFlushKey: returns once what was written to key's hive is on disk.
    virtual std::int32_t FlushKey(RegKey key) = 0;
};

} // namespace talvex
