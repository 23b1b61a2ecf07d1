#include "settings/vb_registry.h"

#include "settings/numbers.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace talvex {

namespace {

// The largest value a string read will allocate for. The program reads titles, service names and
// short parameters; a size query claiming more than this comes from a damaged or hostile value,
// and allocating gigabytes for it would take the process down rather than fail the read.
constexpr std::uint32_t kMaxReadBytes = 16u * 1024 * 1024;

// Byte counts are 32-bit and a written text's count includes its NUL.
constexpr std::uint32_t kMaxWriteLength = std::numeric_limits<std::uint32_t>::max() - 1;

// Every public operation reports failure only through its result; neither an allocation failure
// nor an exception from a registry implementation may reach the caller.
template <typename Result, typename Body> Result Guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

const std::uint8_t* Bytes(const std::string& text) {
    return reinterpret_cast<const std::uint8_t*>(text.c_str());
}

} // namespace

std::string_view WithoutTrailingNuls(std::string_view text) {
    while (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    return text;
}

vbRegistry::~vbRegistry() {
    if (CurrentKey == 0) return;
    try {
        api_.CloseKey(CurrentKey);
    } catch (...) {
    }
}

// Scans from the last character down to the second: a backslash in first position never splits,
// so "\Name" stays whole, and the last backslash wins.
void vbRegistry::SplitKeyPath(const std::string& SubKey) {
    for (std::size_t p = SubKey.size(); p >= 2; --p) {
        if (SubKey[p - 1] == '\\') {
            KeyPath = SubKey.substr(0, p - 1);
            ValueName = SubKey.substr(p);
            return;
        }
    }
    KeyPath = SubKey;
    ValueName = SubKey;
}

// The object holds at most one key: the previous one is closed before the new one is kept. A
// registry that hands back the key it was given (an empty path opens the root itself) must not
// have that key closed under it.
void vbRegistry::HoldKey(RegKey key) {
    if (CurrentKey != 0 && CurrentKey != key) api_.CloseKey(CurrentKey);
    CurrentKey = key;
}

// The open's result is not examined: a failed open leaves no key, and the call that follows
// fails on it. Whatever a failed call left in its out-parameter is not kept, so it can never be
// closed later as if it were ours.
void vbRegistry::OpenKeyPath(RegKey RootName) {
    RegKey key = 0;
    if (api_.OpenKey(RootName, KeyPath, &key) != kErrorSuccess) key = 0;
    HoldKey(key);
}

void vbRegistry::CreateKeyPath(RegKey RootName) {
    RegKey key = 0;
    if (api_.CreateKey(RootName, KeyPath, &key) != kErrorSuccess) key = 0;
    HoldKey(key);
}

// Stores the text with one NUL after it, the NUL counted.
bool vbRegistry::WriteString(RegKey RootName, const std::string& SubKey,
                             const std::string& KeyValue) {
    return Guarded(false, [&] {
        SplitKeyPath(SubKey);
        CreateKeyPath(RootName);
        if (KeyValue.size() > kMaxWriteLength) return false;
        const auto count = static_cast<std::uint32_t>(KeyValue.size() + 1);
        return Wrote(api_.SetValueEx(CurrentKey, ValueName, kRegSz, Bytes(KeyValue), count));
    });
}

bool vbRegistry::WriteDword(RegKey RootName, const std::string& SubKey, std::int32_t KeyValue) {
    return Guarded(false, [&] {
        SplitKeyPath(SubKey);
        CreateKeyPath(RootName);
        const RegistryValue value = DwordValue(static_cast<std::uint32_t>(KeyValue));
        return Wrote(api_.SetValueEx(CurrentKey, ValueName, kRegDword, value.data.data(), 4));
    });
}

// The stored type is not examined: any value of at most four bytes reads as those bytes,
// little-endian, with the missing high bytes zero (a REG_SZ "1" is 49); a longer one does not fit
// the four-byte buffer, fails, and reads as 0. DefaultValue has no effect.
std::int32_t vbRegistry::ReadLong(RegKey RootName, const std::string& SubKey,
                                  const std::string& /*DefaultValue*/) {
    return Guarded(std::int32_t{0}, [&] {
        SplitKeyPath(SubKey);
        OpenKeyPath(RootName);
        std::uint8_t data[4] = {0, 0, 0, 0};
        std::uint32_t count = 4;
        std::uint32_t type = kRegDword;
        if (api_.QueryValueEx(CurrentKey, ValueName, &type, data, &count) != kErrorSuccess)
            return std::int32_t{0};
        const std::uint32_t bits = data[0] | (std::uint32_t{data[1]} << 8) |
                                   (std::uint32_t{data[2]} << 16) | (std::uint32_t{data[3]} << 24);
        return static_cast<std::int32_t>(bits);
    });
}

// The result keeps every stored byte, the terminating NUL included ("abc" reads as a, b, c, NUL);
// callers strip it themselves. The buffer has one byte more than the size query reported, since
// the data query may append a NUL to a string stored without one.
std::string vbRegistry::ReadString(RegKey RootName, const std::string& SubKey,
                                   const std::string& DefaultValue) {
    return Guarded(DefaultValue, [&] {
        SplitKeyPath(SubKey);
        OpenKeyPath(RootName);
        std::uint32_t type = 0;
        std::uint32_t count = 0;
        api_.QueryValueEx(CurrentKey, ValueName, &type, nullptr, &count);
        if (count > kMaxReadBytes) return DefaultValue;
        std::string buffer(count + 1, '\0');
        std::uint32_t count2 = count + 1;
        if (api_.QueryValueEx(CurrentKey, ValueName, &type,
                              reinterpret_cast<std::uint8_t*>(buffer.data()),
                              &count2) != kErrorSuccess)
            return DefaultValue;
        // A value that shrank between the two queries reads as what is stored now, not padded
        // with NULs that were never there.
        buffer.resize(std::min(count, count2));
        LastValue = std::move(buffer);
        return LastValue;
    });
}

// When no value of that name can be deleted, the last path component is taken as a subkey of the
// key path and deleted instead.
bool vbRegistry::DeleteString(RegKey RootName, const std::string& SubKey) {
    return Guarded(false, [&] {
        SplitKeyPath(SubKey);
        OpenKeyPath(RootName);
        if (Wrote(api_.DeleteValue(CurrentKey, ValueName))) return true;
        OpenKeyPath(RootName);
        return Wrote(api_.DeleteKey(CurrentKey, ValueName));
    });
}

// The whole SubKey is the key path; the object's key and fields are left alone. A key whose
// unnamed value was never set reads as one NUL. The buffer keeps a byte beyond the count passed:
// the registry writes a NUL there for an unset value even when told the buffer is empty.
std::string vbRegistry::ReadDefaultString(RegKey RootName, const std::string& SubKey,
                                          const std::string& DefaultValue) {
    return Guarded(DefaultValue, [&] {
        std::int32_t count = 0;
        api_.QueryValue(RootName, SubKey, nullptr, &count);
        if (count < 0 || static_cast<std::uint32_t>(count) > kMaxReadBytes) return DefaultValue;
        std::string buffer(static_cast<std::size_t>(count) + 1, '\0');
        std::int32_t count2 = count;
        if (api_.QueryValue(RootName, SubKey, buffer.data(), &count2) != kErrorSuccess)
            return DefaultValue;
        buffer.resize(static_cast<std::size_t>(std::clamp(count2, 0, count)));
        return buffer;
    });
}

bool vbRegistry::WriteDefaultString(RegKey RootName, const std::string& SubKey,
                                    const std::string& KeyValue) {
    return Guarded(false, [&] {
        if (KeyValue.size() > kMaxWriteLength) return false;
        const auto count = static_cast<std::uint32_t>(KeyValue.size() + 1);
        return Wrote(api_.SetValue(RootName, SubKey, kRegSz, KeyValue.c_str(), count));
    });
}

std::optional<std::uint32_t> DwordOf(const RegistryValue& value) {
    const auto& d = value.data;
    if (value.type != kRegDword || d.size() != 4) return std::nullopt;
    return d[0] | (std::uint32_t{d[1]} << 8) | (std::uint32_t{d[2]} << 16) |
           (std::uint32_t{d[3]} << 24);
}

RegistryValue DwordValue(std::uint32_t number) {
    return {kRegDword,
            {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
             static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)}};
}

// A number the driver reads either way: a REG_DWORD, or text such as "3" that another tool wrote.
// Read as ReadLong reads them, text would give its character codes ("3" is 51).
std::optional<std::int32_t> NumberOf(const RegistryValue& value) {
    if (const auto number = DwordOf(value)) return static_cast<std::int32_t>(*number);
    if (value.type != kRegSz && value.type != kRegExpandSz) return std::nullopt;
    const std::vector<std::uint8_t>& data = value.data;
    return ParseInt32(
        WithoutTrailingNuls({reinterpret_cast<const char*>(data.data()), data.size()}));
}

std::optional<std::int32_t> vbRegistry::ReadNumber(RegKey RootName, const std::string& SubKey) {
    const std::optional<RegistryValue> stored = ReadValue(RootName, SubKey);
    return stored ? NumberOf(*stored) : std::nullopt;
}

std::optional<RegistryValue> vbRegistry::ReadValue(RegKey RootName, const std::string& SubKey) {
    return Guarded(std::optional<RegistryValue>(), [&]() -> std::optional<RegistryValue> {
        SplitKeyPath(SubKey);
        OpenKeyPath(RootName);
        std::uint32_t type = 0;
        std::uint32_t count = 0;
        if (api_.QueryValueEx(CurrentKey, ValueName, &type, nullptr, &count) != kErrorSuccess ||
            count > kMaxReadBytes)
            return std::nullopt;
        RegistryValue value{type, std::vector<std::uint8_t>(count + 1)};
        std::uint32_t count2 = count + 1;
        if (api_.QueryValueEx(CurrentKey, ValueName, &value.type, value.data.data(), &count2) !=
            kErrorSuccess)
            return std::nullopt;
        value.data.resize(std::min(count, count2));
        return value;
    });
}

bool vbRegistry::WriteValue(RegKey RootName, const std::string& SubKey,
                            const RegistryValue& value) {
    return Guarded(false, [&] {
        SplitKeyPath(SubKey);
        CreateKeyPath(RootName);
        if (value.data.size() > kMaxWriteLength) return false;
        return Wrote(api_.SetValueEx(CurrentKey, ValueName, value.type, value.data.data(),
                                     static_cast<std::uint32_t>(value.data.size())));
    });
}

bool vbRegistry::DeleteKey(RegKey RootName, const std::string& Path) {
    return Guarded(false, [&] {
        SplitKeyPath(Path);
        RegKey parent = 0;
        const std::int32_t opened = api_.OpenKey(RootName, KeyPath, &parent);
        if (opened == kErrorFileNotFound) return Wrote(kErrorSuccess);
        if (opened != kErrorSuccess) return Wrote(opened);
        HoldKey(parent);
        const std::int32_t status = api_.DeleteKey(CurrentKey, ValueName);
        return Wrote(status == kErrorFileNotFound ? kErrorSuccess : status);
    });
}

// The registry writes each hive back to disk in its own time, so a power loss can keep a later
// write to one hive and lose an earlier one to another: a flush puts an order between them.
bool vbRegistry::FlushKey(RegKey RootName, const std::string& Path) {
    return Guarded(false, [&] {
        KeyPath = Path;
        OpenKeyPath(RootName);
        return CurrentKey != 0 && api_.FlushKey(CurrentKey) == kErrorSuccess;
    });
}

bool vbRegistry::Wrote(std::int32_t status) {
    lastWriteResult_ = status;
    return status == kErrorSuccess;
}

} // namespace talvex
