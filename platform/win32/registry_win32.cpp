#include "platform/win32/registry_win32.h"

namespace talvex {

namespace {

// A predefined root's HKEY is its 32-bit value sign-extended to pointer width.
HKEY RootHkey(RegKey key) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(key)));
}

// What an id that is not (or no longer) ours stands for: a handle value far beyond any handle
// table a process of this size has, so advapi32 itself rejects it, with its own answers for a
// closed handle. Passing the id's old HKEY instead could reach a key opened since.
HKEY const kStaleHkey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFFFFF0u));

// Not a handle value any call returns (handles are multiples of four), so an out-parameter still
// holding it was not written by the call.
HKEY const kUntouched = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFFFFF3u));

} // namespace

Win32Registry::~Win32Registry() {
    for (const auto& [id, hkey] : open_)
        RegCloseKey(hkey);
}

// 0 and the predefined range pass through for advapi32 to judge.
HKEY Win32Registry::ToHkey(RegKey key) const {
    if (key == 0) return nullptr;
    if (key >= 0x80000000u) return RootHkey(key);
    const auto it = open_.find(key);
    return it == open_.end() ? kStaleHkey : it->second;
}

RegKey Win32Registry::Remember(HKEY hkey) {
    RegKey id = 1;
    while (open_.count(id) != 0)
        ++id;
    open_[id] = hkey;
    return id;
}

// RegOpenKeyA returns the very handle it was given for an empty path; the caller then gets its
// own id back rather than a second id for one handle.
std::int32_t Win32Registry::Open(RegKey root, const std::string& path, RegKey* result,
                                 bool create) {
    if (result == nullptr) return kErrorInvalidParameter;
    const HKEY parent = ToHkey(root);
    HKEY hkey = kUntouched;
    const LONG status = create ? RegCreateKeyA(parent, path.c_str(), &hkey)
                               : RegOpenKeyA(parent, path.c_str(), &hkey);
    if (hkey == kUntouched) return status;
    if (status != ERROR_SUCCESS || hkey == nullptr) {
        *result = 0;
    } else {
        *result = hkey == parent ? root : Remember(hkey);
    }
    return status;
}

std::int32_t Win32Registry::CreateKey(RegKey root, const std::string& path, RegKey* result) {
    return Open(root, path, result, true);
}

std::int32_t Win32Registry::OpenKey(RegKey root, const std::string& path, RegKey* result) {
    return Open(root, path, result, false);
}

// Type and count are copied in and back out whole, so whatever the call leaves in them (cleared,
// updated or untouched) reaches the caller unchanged.
std::int32_t Win32Registry::QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* count) {
    DWORD typeIo = type != nullptr ? *type : 0;
    DWORD countIo = count != nullptr ? *count : 0;
    const LONG status =
        RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, type != nullptr ? &typeIo : nullptr,
                         data, count != nullptr ? &countIo : nullptr);
    if (type != nullptr) *type = typeIo;
    if (count != nullptr) *count = countIo;
    return status;
}

std::int32_t Win32Registry::SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                                       const std::uint8_t* data, std::uint32_t count) {
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, count);
}

std::int32_t Win32Registry::DeleteValue(RegKey key, const std::string& name) {
    return RegDeleteValueA(ToHkey(key), name.c_str());
}

std::int32_t Win32Registry::DeleteKey(RegKey key, const std::string& subKey) {
    return RegDeleteKeyA(ToHkey(key), subKey.c_str());
}

// The id is forgotten once its handle is closed; a root is not ours to forget.
std::int32_t Win32Registry::CloseKey(RegKey key) {
    const LONG status = RegCloseKey(ToHkey(key));
    if (status == ERROR_SUCCESS) open_.erase(key);
    return status;
}

std::int32_t Win32Registry::QueryValue(RegKey root, const std::string& path, char* data,
                                       std::int32_t* count) {
    LONG countIo = count != nullptr ? *count : 0;
    const LONG status =
        RegQueryValueA(ToHkey(root), path.c_str(), data, count != nullptr ? &countIo : nullptr);
    if (count != nullptr) *count = countIo;
    return status;
}

std::int32_t Win32Registry::SetValue(RegKey root, const std::string& path, std::uint32_t type,
                                     const char* data, std::uint32_t count) {
    return RegSetValueA(ToHkey(root), path.c_str(), type, data, count);
}

std::int32_t Win32Registry::FlushKey(RegKey key) {
    return RegFlushKey(ToHkey(key));
}

} // namespace talvex
