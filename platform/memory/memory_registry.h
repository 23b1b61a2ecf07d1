// An in-memory registry with the semantics of the Win32 one as Wine implements it, for the native
// tests: case-insensitive names that keep their first spelling, handles that go stale when closed,
// keys deleted under open handles, ERROR_MORE_DATA and the unnamed value's quirks.
// Not reproduced: advapi32 looks one byte past the count of a string it is given to store and
// counts a NUL it finds there; this registry stores exactly the bytes it is given. The predefined
// roots other than HKEY_LOCAL_MACHINE are independent empty trees.
#pragma once

#include "platform/registry_api.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace talvex {

class MemoryRegistry : public RegistryApi {
  public:
    struct StoredValue {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        bool operator==(const StoredValue&) const = default;
    };

    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

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

    // Test helpers. Seeding creates keys as needed and ignores DenyWrites; path and name follow
    // the API's rules (empty name = the unnamed value).
    std::size_t OpenHandleCount() const;
    bool Seed(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
              std::vector<std::uint8_t> data);
    bool SeedString(RegKey root, const std::string& path, const std::string& name,
                    const std::string& text); // REG_SZ, terminator added
    std::optional<StoredValue> Lookup(RegKey root, const std::string& path,
                                      const std::string& name) const;
    bool KeyExists(RegKey root, const std::string& path) const;
    // Every value of a key by name as first spelt, in creation order; nullopt without the key.
    std::optional<std::vector<std::pair<std::string, StoredValue>>>
    Values(RegKey root, const std::string& path) const;
    // While set, every change (new key, set, delete) fails with ERROR_ACCESS_DENIED; opening and
    // reading still work, as with a key the user may only read.
    void DenyWrites(bool deny) { denyWrites_ = deny; }

  private:
    struct Value {
        std::string name;
        StoredValue stored;
    };
    struct Key;
    using KeyPtr = std::shared_ptr<Key>;

    std::int32_t Resolve(RegKey key, Key** found) const;
    std::int32_t Walk(Key* start, const std::string& path, bool create, Key** found);
    Key* Find(RegKey root, const std::string& path) const;
    RegKey NewHandle(Key* key);
    std::int32_t OpenOrCreate(RegKey root, const std::string& path, bool create, RegKey* result);

    std::map<RegKey, KeyPtr> roots_;
    std::map<RegKey, KeyPtr> handles_;
    bool denyWrites_ = false;
};

} // namespace talvex
