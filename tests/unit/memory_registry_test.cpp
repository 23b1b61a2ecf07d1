// What the differential test cannot compare with Wine: the test helpers, refused writes and the
// in-memory registry's own handle bookkeeping. Registry semantics proper are proven against Wine
// in tests/differential.
#include "platform/memory/memory_registry.h"

#include <gtest/gtest.h>

namespace talvex {
namespace {

constexpr RegKey kHklm = kHKeyLocalMachine;

std::vector<std::uint8_t> Read(MemoryRegistry& registry, RegKey key, const std::string& name) {
    std::uint8_t buffer[64] = {};
    std::uint32_t count = sizeof buffer;
    if (registry.QueryValueEx(key, name, nullptr, buffer, &count) != kErrorSuccess) return {};
    return {buffer, buffer + count};
}

TEST(MemoryRegistryHelpers, SeededValuesReadBackThroughTheApiWithExactBytes) {
    MemoryRegistry registry;
    ASSERT_TRUE(registry.Seed(kHklm, "Soft\\Key", "Raw", kRegBinary, {1, 2, 3}));
    ASSERT_TRUE(registry.SeedString(kHklm, "Soft\\Key", "Text", "ab"));
    RegKey key = 0;
    ASSERT_EQ(registry.OpenKey(kHklm, "SOFT\\key", &key), kErrorSuccess);
    EXPECT_EQ(Read(registry, key, "raw"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(Read(registry, key, "Text"), (std::vector<std::uint8_t>{'a', 'b', 0}));
    EXPECT_EQ(registry.OpenHandleCount(), 1u);
    registry.CloseKey(key);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(MemoryRegistryHelpers, LookupAndKeyExistsSeeWhatTheApiWrote) {
    MemoryRegistry registry;
    RegKey key = 0;
    ASSERT_EQ(registry.CreateKey(kHklm, "Soft\\Key", &key), kErrorSuccess);
    const std::uint8_t data[] = {4, 0, 0, 0};
    registry.SetValueEx(key, "Num", kRegDword, data, 4);
    registry.CloseKey(key);
    const MemoryRegistry::StoredValue expected{kRegDword, {4, 0, 0, 0}};
    EXPECT_EQ(registry.Lookup(kHklm, "soft\\KEY", "NUM"), expected);
    EXPECT_FALSE(registry.Lookup(kHklm, "Soft\\Key", "Other").has_value());
    EXPECT_FALSE(registry.Lookup(kHklm, "Soft\\Missing", "Num").has_value());
    EXPECT_TRUE(registry.KeyExists(kHklm, "Soft"));
    EXPECT_FALSE(registry.KeyExists(kHklm, "Soft\\Key\\Sub"));
    EXPECT_FALSE(registry.KeyExists(0x80000007u, "Soft"));
}

TEST(MemoryRegistryDenyWrites, RefusesEveryChangeButStillOpensAndReads) {
    MemoryRegistry registry;
    registry.SeedString(kHklm, "Soft\\Key\\Sub", "", "x");
    registry.SeedString(kHklm, "Soft\\Key", "Name", "v");
    registry.DenyWrites(true);
    RegKey key = 0;
    ASSERT_EQ(registry.CreateKey(kHklm, "Soft\\Key", &key), kErrorSuccess);
    RegKey created = 0;
    EXPECT_EQ(registry.CreateKey(key, "New", &created), kErrorAccessDenied);
    EXPECT_EQ(registry.SetValueEx(key, "Name", kRegSz, nullptr, 0), kErrorAccessDenied);
    EXPECT_EQ(registry.DeleteValue(key, "Name"), kErrorAccessDenied);
    EXPECT_EQ(registry.DeleteKey(key, "Sub"), kErrorAccessDenied);
    EXPECT_EQ(registry.SetValue(kHklm, "Soft\\Key", kRegSz, "w", 2), kErrorAccessDenied);
    EXPECT_EQ(Read(registry, key, "Name"), (std::vector<std::uint8_t>{'v', 0}));
    EXPECT_TRUE(registry.SeedString(kHklm, "Soft\\Key", "Seeded", "s"));
    registry.DenyWrites(false);
    EXPECT_EQ(registry.SetValueEx(key, "Name", kRegSz, nullptr, 0), kErrorSuccess);
    registry.CloseKey(key);
}

TEST(MemoryRegistryHandles, ReuseTheLowestFreeNumberSoAStaleHandleNamesAnotherKey) {
    MemoryRegistry registry;
    registry.SeedString(kHklm, "A", "Name", "a");
    registry.SeedString(kHklm, "B", "Name", "b");
    RegKey a = 0, b = 0, again = 0;
    ASSERT_EQ(registry.OpenKey(kHklm, "A", &a), kErrorSuccess);
    ASSERT_EQ(registry.OpenKey(kHklm, "B", &b), kErrorSuccess);
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_LT(b, 0x10000u);
    registry.CloseKey(a);
    ASSERT_EQ(registry.OpenKey(kHklm, "B", &again), kErrorSuccess);
    EXPECT_EQ(again, a);
    EXPECT_EQ(Read(registry, a, "Name"), (std::vector<std::uint8_t>{'b', 0}));
    EXPECT_EQ(registry.OpenHandleCount(), 2u);
}

TEST(MemoryRegistryValues, ANullBufferWithACountIsRefusedNotRead) {
    MemoryRegistry registry;
    RegKey key = 0;
    ASSERT_EQ(registry.CreateKey(kHklm, "Soft", &key), kErrorSuccess);
    EXPECT_EQ(registry.SetValueEx(key, "V", kRegBinary, nullptr, 100), kErrorNoAccess);
    EXPECT_FALSE(registry.Lookup(kHklm, "Soft", "V").has_value());
    registry.CloseKey(key);
}

} // namespace
} // namespace talvex
