#include "platform/memory/memory_registry.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace talvex {

namespace {

// Limits and codes as advapi32 reports them under Wine: an ANSI path longer than 260 characters
// overflows the conversion buffer (ERROR_MORE_DATA), a path component may have 256 characters and
// a value name 16383.
constexpr std::size_t kMaxPathLength = 260;
constexpr std::size_t kMaxComponentLength = 256;
constexpr std::size_t kMaxValueNameLength = 16383;

// The predefined roots this registry keeps a tree for (classes root, current user, local machine,
// users, current config); other values in the predefined range are invalid handles, as under Wine.
constexpr RegKey kRoots[] = {0x80000000u, 0x80000001u, 0x80000002u, 0x80000003u, 0x80000005u};

// Names cross the real API as C strings, so anything after an embedded NUL is not part of them.
std::string_view CName(const std::string& s) {
    return {s.c_str()};
}

// The registry compares names by their upper-case forms. Names are ANSI (code page 1252), so the
// Latin-1 letters and the few 1252 extras (š, œ, ž, ÿ) fold too; ß has no single upper case.
unsigned char FoldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
    }
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(static_cast<unsigned char>(x)) ==
                      FoldCase(static_cast<unsigned char>(y));
           });
}

bool IsStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Splits a relative key path into its components. Runs of backslashes separate like one and a
// trailing one is ignored, but a path may not start with one.
std::int32_t SplitPath(std::string_view path, std::vector<std::string_view>* parts) {
    if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
    std::size_t pos = 0;
    while (pos < path.size()) {
        const std::size_t end = std::min(path.find('\\', pos), path.size());
        if (end > pos) {
            if (end - pos > kMaxComponentLength) return kErrorInvalidParameter;
            parts->push_back(path.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return kErrorSuccess;
}

} // namespace

struct MemoryRegistry::Key : std::enable_shared_from_this<Key> {
    std::string name;
    Key* parent = nullptr; // null for a root and for a deleted key
    bool root = false;
    bool deleted = false;
    std::vector<KeyPtr> subkeys;
    std::vector<Value> values;

    Key* Subkey(std::string_view wanted) const {
        for (const auto& sub : subkeys)
            if (SameName(sub->name, wanted)) return sub.get();
        return nullptr;
    }
    Value* FindValue(std::string_view wanted) {
        for (auto& value : values)
            if (SameName(value.name, wanted)) return &value;
        return nullptr;
    }
    // A value takes the name's spelling from the write that created it; later writes keep it.
    void Put(std::string_view valueName, StoredValue stored) {
        if (Value* value = FindValue(valueName)) {
            value->stored = std::move(stored);
        } else {
            values.push_back(Value{std::string(valueName), std::move(stored)});
        }
    }
};

MemoryRegistry::MemoryRegistry() {
    for (RegKey root : kRoots) {
        auto key = std::make_shared<Key>();
        key->root = true;
        roots_[root] = key;
    }
}

MemoryRegistry::~MemoryRegistry() = default;

std::int32_t MemoryRegistry::Resolve(RegKey key, Key** found) const {
    const auto& table = key >= 0x80000000u ? roots_ : handles_;
    const auto it = table.find(key);
    if (it == table.end()) return kErrorInvalidHandle;
    if (it->second->deleted) return kErrorKeyDeleted;
    *found = it->second.get();
    return kErrorSuccess;
}

std::int32_t MemoryRegistry::Walk(Key* start, const std::string& path, bool create, Key** found) {
    std::vector<std::string_view> parts;
    if (const auto status = SplitPath(CName(path), &parts); status != kErrorSuccess) return status;
    Key* key = start;
    for (const auto part : parts) {
        Key* next = key->Subkey(part);
        if (next == nullptr) {
            if (!create) return kErrorFileNotFound;
            if (denyWrites_) return kErrorAccessDenied;
            auto sub = std::make_shared<Key>();
            sub->name = std::string(part);
            sub->parent = key;
            key->subkeys.push_back(sub);
            next = sub.get();
        }
        key = next;
    }
    *found = key;
    return kErrorSuccess;
}

// Handles are the smallest free numbers from 1, so a closed handle's number comes back with the
// next open, as Wine's do: a stale handle then names some other key.
RegKey MemoryRegistry::NewHandle(Key* key) {
    RegKey handle = 1;
    while (handles_.count(handle) != 0)
        ++handle;
    handles_[handle] = key->shared_from_this();
    return handle;
}

// A null root or an over-long path fails before the out-parameter is touched; other failures
// clear it.
std::int32_t MemoryRegistry::OpenOrCreate(RegKey root, const std::string& path, bool create,
                                          RegKey* result) {
    if (root == 0) return kErrorInvalidHandle;
    if (CName(path).size() > kMaxPathLength) return kErrorMoreData;
    *result = 0;
    Key* key = nullptr;
    if (const auto status = Resolve(root, &key); status != kErrorSuccess) return status;
    if (const auto status = Walk(key, path, create, &key); status != kErrorSuccess) return status;
    *result = NewHandle(key);
    return kErrorSuccess;
}

std::int32_t MemoryRegistry::CreateKey(RegKey root, const std::string& path, RegKey* result) {
    if (result == nullptr) return kErrorInvalidParameter;
    return OpenOrCreate(root, path, true, result);
}

// An empty path returns the root handle itself without looking at it, even a closed one.
std::int32_t MemoryRegistry::OpenKey(RegKey root, const std::string& path, RegKey* result) {
    if (result == nullptr) return kErrorInvalidParameter;
    if (CName(path).empty()) {
        *result = root;
        return kErrorSuccess;
    }
    return OpenOrCreate(root, path, false, result);
}

// Type is cleared, and so is the count of a size query, before the lookup; a failed lookup
// leaves them so. A buffer too small gets nothing but the true type and size with
// ERROR_MORE_DATA. A string stored without its NUL gets one appended when the buffer has room.
std::int32_t MemoryRegistry::QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                                          std::uint8_t* data, std::uint32_t* count) {
    if (data != nullptr && count == nullptr) return kErrorInvalidParameter;
    if (key == 0) return kErrorInvalidHandle;
    if (type != nullptr) *type = 0;
    if (data == nullptr && count != nullptr) *count = 0;
    Key* found = nullptr;
    if (const auto status = Resolve(key, &found); status != kErrorSuccess) return status;
    const Value* value = found->FindValue(CName(name));
    if (value == nullptr) return kErrorFileNotFound;

    const auto& stored = value->stored;
    const auto size = static_cast<std::uint32_t>(stored.data.size());
    std::int32_t status = kErrorSuccess;
    if (data != nullptr && size > *count) {
        status = kErrorMoreData;
    } else if (data != nullptr && size > 0) {
        std::memcpy(data, stored.data.data(), size);
        if (IsStringType(stored.type) && size < *count && data[size - 1] != 0) data[size] = 0;
    }
    if (type != nullptr) *type = stored.type;
    if (count != nullptr) *count = size;
    return status;
}

std::int32_t MemoryRegistry::SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                                        const std::uint8_t* data, std::uint32_t count) {
    if (key == 0) return kErrorInvalidHandle;
    Key* found = nullptr;
    if (const auto status = Resolve(key, &found); status != kErrorSuccess) return status;
    const std::string_view valueName = CName(name);
    if (valueName.size() > kMaxValueNameLength) return kErrorInvalidParameter;
    if (data == nullptr && count > 0) return kErrorNoAccess;
    if (denyWrites_) return kErrorAccessDenied;
    found->Put(valueName, StoredValue{type, std::vector<std::uint8_t>(data, data + count)});
    return kErrorSuccess;
}

std::int32_t MemoryRegistry::DeleteValue(RegKey key, const std::string& name) {
    if (key == 0) return kErrorInvalidHandle;
    Key* found = nullptr;
    if (const auto status = Resolve(key, &found); status != kErrorSuccess) return status;
    if (denyWrites_) return kErrorAccessDenied;
    const Value* value = found->FindValue(CName(name));
    if (value == nullptr) return kErrorFileNotFound;
    found->values.erase(found->values.begin() + (value - found->values.data()));
    return kErrorSuccess;
}

// The subkey path is opened like OpenKey would, except that an empty one names the key itself,
// which is then deleted. Roots and keys with subkeys are refused. Handles still open on the
// deleted key stay valid handles but every use of them reports ERROR_KEY_DELETED.
std::int32_t MemoryRegistry::DeleteKey(RegKey key, const std::string& subKey) {
    if (key == 0) return kErrorInvalidHandle;
    if (CName(subKey).size() > kMaxPathLength) return kErrorMoreData;
    Key* target = nullptr;
    if (const auto status = Resolve(key, &target); status != kErrorSuccess) return status;
    if (const auto status = Walk(target, subKey, false, &target); status != kErrorSuccess)
        return status;
    if (target->root || !target->subkeys.empty() || denyWrites_) return kErrorAccessDenied;
    auto& siblings = target->parent->subkeys;
    const KeyPtr keep = target->shared_from_this();
    siblings.erase(std::find(siblings.begin(), siblings.end(), keep));
    target->deleted = true;
    target->parent = nullptr;
    return kErrorSuccess;
}

// Memory has no disk to reach: a flush only checks its handle.
std::int32_t MemoryRegistry::FlushKey(RegKey key) {
    if (key == 0) return kErrorInvalidHandle;
    Key* found = nullptr;
    return Resolve(key, &found);
}

// Closing a predefined root is a no-op that succeeds.
std::int32_t MemoryRegistry::CloseKey(RegKey key) {
    if (key == 0) return kErrorInvalidHandle;
    if (key >= 0x80000000u) return kErrorSuccess;
    return handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

// The unnamed value of root\path, read through a handle of its own. A key whose unnamed value was
// never set reads as the empty text: count 1 and a NUL in the buffer, written even when the count
// passed in was 0.
std::int32_t MemoryRegistry::QueryValue(RegKey root, const std::string& path, char* data,
                                        std::int32_t* count) {
    RegKey key = root;
    const bool ownKey = !CName(path).empty();
    if (ownKey) {
        if (const auto status = OpenKey(root, path, &key); status != kErrorSuccess) return status;
    }
    std::uint32_t size = count != nullptr ? static_cast<std::uint32_t>(*count) : 0;
    auto status = QueryValueEx(key, "", nullptr, reinterpret_cast<std::uint8_t*>(data),
                               count != nullptr ? &size : nullptr);
    if (count != nullptr) *count = static_cast<std::int32_t>(size);
    if (ownKey) CloseKey(key);
    if (status == kErrorFileNotFound) {
        if (data != nullptr) *data = 0;
        if (count != nullptr) *count = 1;
        status = kErrorSuccess;
    }
    return status;
}

// Only REG_SZ is accepted. The count is ignored: the text's own length plus its NUL is stored.
std::int32_t MemoryRegistry::SetValue(RegKey root, const std::string& path, std::uint32_t type,
                                      const char* data, std::uint32_t /*count*/) {
    if (type != kRegSz || data == nullptr) return kErrorInvalidParameter;
    RegKey key = root;
    const bool ownKey = !CName(path).empty();
    if (ownKey) {
        if (const auto status = CreateKey(root, path, &key); status != kErrorSuccess) return status;
    }
    const auto length = static_cast<std::uint32_t>(std::strlen(data) + 1);
    const auto status =
        SetValueEx(key, "", kRegSz, reinterpret_cast<const std::uint8_t*>(data), length);
    if (ownKey) CloseKey(key);
    return status;
}

std::size_t MemoryRegistry::OpenHandleCount() const {
    return handles_.size();
}

MemoryRegistry::Key* MemoryRegistry::Find(RegKey root, const std::string& path) const {
    const auto it = roots_.find(root);
    if (it == roots_.end()) return nullptr;
    std::vector<std::string_view> parts;
    if (SplitPath(CName(path), &parts) != kErrorSuccess) return nullptr;
    Key* key = it->second.get();
    for (const auto part : parts) {
        key = key->Subkey(part);
        if (key == nullptr) return nullptr;
    }
    return key;
}

bool MemoryRegistry::Seed(RegKey root, const std::string& path, const std::string& name,
                          std::uint32_t type, std::vector<std::uint8_t> data) {
    const auto it = roots_.find(root);
    if (it == roots_.end()) return false;
    const bool deny = denyWrites_;
    denyWrites_ = false;
    Key* key = nullptr;
    const auto status = Walk(it->second.get(), path, true, &key);
    denyWrites_ = deny;
    if (status != kErrorSuccess) return false;
    key->Put(CName(name), StoredValue{type, std::move(data)});
    return true;
}

bool MemoryRegistry::SeedString(RegKey root, const std::string& path, const std::string& name,
                                const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return Seed(root, path, name, kRegSz, std::move(data));
}

std::optional<MemoryRegistry::StoredValue>
MemoryRegistry::Lookup(RegKey root, const std::string& path, const std::string& name) const {
    Key* key = Find(root, path);
    if (key == nullptr) return std::nullopt;
    const Value* value = key->FindValue(CName(name));
    if (value == nullptr) return std::nullopt;
    return value->stored;
}

bool MemoryRegistry::KeyExists(RegKey root, const std::string& path) const {
    return Find(root, path) != nullptr;
}

std::optional<std::vector<std::pair<std::string, MemoryRegistry::StoredValue>>>
MemoryRegistry::Values(RegKey root, const std::string& path) const {
    const Key* key = Find(root, path);
    if (key == nullptr) return std::nullopt;
    std::vector<std::pair<std::string, StoredValue>> values;
    for (const Value& value : key->values)
        values.emplace_back(value.name, value.stored);
    return values;
}

} // namespace talvex
