#include "settings/vb_registry.h"

#include "platform/memory/memory_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace talvex {
namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::InSequence;
using ::testing::IsNull;
using ::testing::NotNull;
using ::testing::Pointee;
using ::testing::Return;
using ::testing::SetArgPointee;
using ::testing::StrictMock;

class MockRegistryApi : public RegistryApi {
  public:
    MOCK_METHOD(std::int32_t, CreateKey, (RegKey, const std::string&, RegKey*), (override));
    MOCK_METHOD(std::int32_t, OpenKey, (RegKey, const std::string&, RegKey*), (override));
    MOCK_METHOD(std::int32_t, QueryValueEx,
                (RegKey, const std::string&, std::uint32_t*, std::uint8_t*, std::uint32_t*),
                (override));
    MOCK_METHOD(std::int32_t, SetValueEx,
                (RegKey, const std::string&, std::uint32_t, const std::uint8_t*, std::uint32_t),
                (override));
    MOCK_METHOD(std::int32_t, DeleteValue, (RegKey, const std::string&), (override));
    MOCK_METHOD(std::int32_t, DeleteKey, (RegKey, const std::string&), (override));
    MOCK_METHOD(std::int32_t, CloseKey, (RegKey), (override));
    MOCK_METHOD(std::int32_t, QueryValue, (RegKey, const std::string&, char*, std::int32_t*),
                (override));
    MOCK_METHOD(std::int32_t, SetValue,
                (RegKey, const std::string&, std::uint32_t, const char*, std::uint32_t),
                (override));
    MOCK_METHOD(std::int32_t, FlushKey, (RegKey), (override));
};

constexpr RegKey kHklm = kHKeyLocalMachine;

// A data query that finds `stored` and copies it when the buffer is large enough.
auto Answer(const std::string& stored) {
    return [stored](RegKey, const std::string&, std::uint32_t*, std::uint8_t* data,
                    std::uint32_t* count) {
        const auto size = static_cast<std::uint32_t>(stored.size());
        const bool fits = size <= *count;
        if (fits) std::copy(stored.begin(), stored.end(), data);
        *count = size;
        return fits ? kErrorSuccess : kErrorMoreData;
    };
}

MATCHER_P(BytesAre, text, "") {
    return std::memcmp(arg, text.data(), text.size()) == 0;
}

TEST(VbRegistryCalls, ReadStringQueriesSizeThenDataWithRoomForTheTerminator) {
    StrictMock<MockRegistryApi> api;
    InSequence order;
    EXPECT_CALL(api, OpenKey(kHklm, "Soft\\Key", _))
        .WillOnce(DoAll(SetArgPointee<2>(7), Return(kErrorSuccess)));
    EXPECT_CALL(api, QueryValueEx(7, "Name", _, IsNull(), Pointee(0u)))
        .WillOnce(DoAll(SetArgPointee<4>(4u), Return(kErrorSuccess)));
    EXPECT_CALL(api, QueryValueEx(7, "Name", _, NotNull(), Pointee(5u)))
        .WillOnce(Answer({"abc\0", 4}));
    EXPECT_CALL(api, CloseKey(7));
    vbRegistry reg(api);
    EXPECT_EQ(reg.ReadString(kHklm, "Soft\\Key\\Name", "def"), std::string("abc\0", 4));
}

TEST(VbRegistryCalls, DeleteStringFallsBackToTheSubkeyThroughAFreshKey) {
    StrictMock<MockRegistryApi> api;
    InSequence order;
    EXPECT_CALL(api, OpenKey(kHklm, "Soft", _))
        .WillOnce(DoAll(SetArgPointee<2>(7), Return(kErrorSuccess)));
    EXPECT_CALL(api, DeleteValue(7, "Sub")).WillOnce(Return(kErrorFileNotFound));
    EXPECT_CALL(api, OpenKey(kHklm, "Soft", _))
        .WillOnce(DoAll(SetArgPointee<2>(8), Return(kErrorSuccess)));
    EXPECT_CALL(api, CloseKey(7));
    EXPECT_CALL(api, DeleteKey(8, "Sub")).WillOnce(Return(kErrorSuccess));
    EXPECT_CALL(api, CloseKey(8));
    vbRegistry reg(api);
    EXPECT_TRUE(reg.DeleteString(kHklm, "Soft\\Sub"));
}

TEST(VbRegistryCalls, WritesCountTheTerminatorAndStoreDwordsLittleEndian) {
    StrictMock<MockRegistryApi> api;
    InSequence order;
    EXPECT_CALL(api, CreateKey(kHklm, "Soft", _))
        .WillOnce(DoAll(SetArgPointee<2>(3), Return(kErrorSuccess)));
    EXPECT_CALL(api, SetValueEx(3, "Name", kRegSz, BytesAre(std::string("ab\0", 3)), 3u))
        .WillOnce(Return(kErrorSuccess));
    EXPECT_CALL(api, CreateKey(kHklm, "Soft", _))
        .WillOnce(DoAll(SetArgPointee<2>(4), Return(kErrorSuccess)));
    EXPECT_CALL(api, CloseKey(3));
    EXPECT_CALL(api, SetValueEx(4, "Num", kRegDword, BytesAre(std::string("\xfe\xff\xff\xff")), 4u))
        .WillOnce(Return(kErrorAccessDenied));
    EXPECT_CALL(api, CloseKey(4));
    vbRegistry reg(api);
    EXPECT_TRUE(reg.WriteString(kHklm, "Soft\\Name", "ab"));
    EXPECT_FALSE(reg.WriteDword(kHklm, "Soft\\Num", -2));
}

TEST(VbRegistryCalls, DefaultStringUsesTheWholePathAndOpensNoKey) {
    StrictMock<MockRegistryApi> api;
    InSequence order;
    EXPECT_CALL(api, QueryValue(kHklm, "Soft\\Key", IsNull(), Pointee(0)))
        .WillOnce(DoAll(SetArgPointee<3>(6), Return(kErrorSuccess)));
    EXPECT_CALL(api, QueryValue(kHklm, "Soft\\Key", NotNull(), Pointee(6)))
        .WillOnce([](RegKey, const std::string&, char* data, std::int32_t* count) {
            std::memcpy(data, "hello", 6);
            *count = 6;
            return kErrorSuccess;
        });
    EXPECT_CALL(api, SetValue(kHklm, "Soft\\Key", kRegSz, BytesAre(std::string("hi")), 3u))
        .WillOnce(Return(kErrorSuccess));
    vbRegistry reg(api);
    EXPECT_EQ(reg.ReadDefaultString(kHklm, "Soft\\Key", "def"), std::string("hello\0", 6));
    EXPECT_TRUE(reg.WriteDefaultString(kHklm, "Soft\\Key", "hi"));
}

// A registry whose open always yields key 5.
void OpenAs5(MockRegistryApi& api) {
    ON_CALL(api, OpenKey(_, _, _)).WillByDefault(DoAll(SetArgPointee<2>(5), Return(0)));
}

TEST(VbRegistryRobustness, ImplausibleSizesGiveTheDefaultWithoutAllocating) {
    StrictMock<MockRegistryApi> api;
    OpenAs5(api);
    // 16 MiB is the largest value read; a byte more is implausible.
    constexpr std::uint32_t kLargest = 16u * 1024 * 1024;
    EXPECT_CALL(api, OpenKey(_, _, _)).Times(3);
    EXPECT_CALL(api, QueryValueEx(5, "V", _, IsNull(), _))
        .WillOnce(DoAll(SetArgPointee<4>(0xFFFFFFFFu), Return(kErrorSuccess)))
        .WillOnce(DoAll(SetArgPointee<4>(kLargest + 1), Return(kErrorSuccess)))
        .WillOnce(DoAll(SetArgPointee<4>(kLargest), Return(kErrorSuccess)));
    EXPECT_CALL(api, QueryValueEx(5, "V", _, NotNull(), Pointee(kLargest + 1)))
        .WillOnce(Answer(std::string(kLargest, 'x')));
    EXPECT_CALL(api, QueryValue(kHklm, "K", IsNull(), _))
        .WillOnce(DoAll(SetArgPointee<3>(-5), Return(kErrorSuccess)));
    EXPECT_CALL(api, CloseKey(5));
    vbRegistry reg(api);
    EXPECT_EQ(reg.ReadString(kHklm, "K\\V", "def"), "def");
    EXPECT_EQ(reg.ReadString(kHklm, "K\\V", "def"), "def");
    EXPECT_EQ(reg.ReadString(kHklm, "K\\V", "def").size(), kLargest);
    EXPECT_EQ(reg.ReadDefaultString(kHklm, "K", "def"), "def");
}

TEST(VbRegistryRobustness, AValueChangingSizeBetweenTheQueriesStaysInBounds) {
    StrictMock<MockRegistryApi> api;
    OpenAs5(api);
    EXPECT_CALL(api, OpenKey(_, _, _)).Times(4);
    EXPECT_CALL(api, CloseKey(5)).Times(1);
    EXPECT_CALL(api, QueryValueEx(5, "V", _, IsNull(), _))
        .Times(4)
        .WillRepeatedly(DoAll(SetArgPointee<4>(6u), Return(kErrorSuccess)));
    const auto claimsMore = [](RegKey, const std::string&, std::uint32_t*, std::uint8_t* data,
                               std::uint32_t* count) {
        std::memcpy(data, "abcdef", 7);
        *count = 1000;
        return kErrorSuccess;
    };
    EXPECT_CALL(api, QueryValueEx(5, "V", _, NotNull(), Pointee(7u)))
        .WillOnce(Answer(std::string(9, 'g'))) // grew: does not fit
        .WillOnce(Answer({"a\0", 2}))          // shrank
        .WillOnce(claimsMore)                   // claims more than it was given
        .WillOnce(claimsMore);
    vbRegistry reg(api);
    EXPECT_EQ(reg.ReadString(kHklm, "K\\V", "def"), "def");
    EXPECT_EQ(reg.ReadString(kHklm, "K\\V", "def"), std::string("a\0", 2));
    EXPECT_EQ(reg.ReadString(kHklm, "K\\V", "def"), "abcdef");
    const std::optional<RegistryValue> value = reg.ReadValue(kHklm, "K\\V");
    ASSERT_TRUE(value);
    EXPECT_EQ(std::string(value->data.begin(), value->data.end()), "abcdef");
}

TEST(VbRegistryRobustness, AHandleLeftByAFailedOpenOrCreateIsNeverUsedOrClosed) {
    StrictMock<MockRegistryApi> api;
    EXPECT_CALL(api, OpenKey(_, _, _)).WillOnce(DoAll(SetArgPointee<2>(99), Return(2)));
    EXPECT_CALL(api, QueryValueEx(0, "V", _, _, _)).WillOnce(Return(kErrorInvalidHandle));
    EXPECT_CALL(api, CreateKey(_, _, _)).WillOnce(DoAll(SetArgPointee<2>(98), Return(5)));
    EXPECT_CALL(api, SetValueEx(0, "V", _, _, _)).WillOnce(Return(kErrorInvalidHandle));
    vbRegistry reg(api);
    EXPECT_EQ(reg.ReadLong(kHklm, "K\\V", "1"), 0);
    EXPECT_FALSE(reg.WriteDword(kHklm, "K\\V", 1));
}

TEST(VbRegistryRobustness, ExceptionsFromTheRegistryDoNotEscape) {
    ::testing::NiceMock<MockRegistryApi> api;
    const auto fail = [](auto&&...) -> std::int32_t { throw std::runtime_error("broken"); };
    ON_CALL(api, CreateKey).WillByDefault(DoAll(SetArgPointee<2>(5), Return(0)));
    ON_CALL(api, OpenKey).WillByDefault(DoAll(SetArgPointee<2>(5), Return(0)));
    ON_CALL(api, SetValueEx).WillByDefault(fail);
    ON_CALL(api, QueryValueEx).WillByDefault(fail);
    ON_CALL(api, DeleteValue).WillByDefault(fail);
    ON_CALL(api, QueryValue).WillByDefault(fail);
    ON_CALL(api, SetValue).WillByDefault(fail);
    ON_CALL(api, CloseKey).WillByDefault(fail);
    EXPECT_NO_THROW({
        vbRegistry reg(api);
        EXPECT_FALSE(reg.WriteString(kHklm, "K\\V", "x"));
        EXPECT_FALSE(reg.WriteDword(kHklm, "K\\V", 1));
        EXPECT_EQ(reg.ReadLong(kHklm, "K\\V", "1"), 0);
        EXPECT_EQ(reg.ReadString(kHklm, "K\\V", "def"), "def");
        EXPECT_FALSE(reg.DeleteString(kHklm, "K\\V"));
        EXPECT_EQ(reg.ReadDefaultString(kHklm, "K", "def"), "def");
        EXPECT_FALSE(reg.WriteDefaultString(kHklm, "K", "x"));
    });
}

TEST(VbRegistryKeys, HoldsAtMostOneOpenKeyAndClosesItWhenDestroyed) {
    MemoryRegistry registry;
    {
        vbRegistry reg(registry);
        reg.WriteString(kHklm, "Soft\\A\\Name", "a");
        EXPECT_EQ(registry.OpenHandleCount(), 1u);
        reg.WriteDword(kHklm, "Soft\\B\\Num", 1);
        reg.ReadLong(kHklm, "Soft\\B\\Num", "0");
        reg.ReadString(kHklm, "Soft\\A\\Name", "");
        reg.DeleteString(kHklm, "Soft\\B");
        reg.ReadString(kHklm, "Soft\\Missing\\Name", "");
        reg.ReadDefaultString(kHklm, "Soft\\A", "");
        reg.WriteDefaultString(kHklm, "Soft\\A", "x");
        EXPECT_LE(registry.OpenHandleCount(), 1u);
        reg.ReadString(kHklm, "Soft\\A\\Name", "");
        EXPECT_EQ(registry.OpenHandleCount(), 1u);
    }
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(VbRegistryWrites, RefusedWritesReportFalseAndChangeNothing) {
    MemoryRegistry registry;
    registry.SeedString(kHklm, "Soft\\Key", "Name", "old");
    registry.DenyWrites(true);
    vbRegistry reg(registry);
    EXPECT_FALSE(reg.WriteString(kHklm, "Soft\\Key\\Name", "new"));
    EXPECT_FALSE(reg.WriteDword(kHklm, "Soft\\Key\\Name", 1));
    EXPECT_FALSE(reg.WriteString(kHklm, "Soft\\Other\\Name", "new"));
    EXPECT_FALSE(reg.WriteDefaultString(kHklm, "Soft\\Key", "new"));
    EXPECT_FALSE(reg.DeleteString(kHklm, "Soft\\Key\\Name"));
    EXPECT_EQ(reg.ReadString(kHklm, "Soft\\Key\\Name", "def"), std::string("old\0", 4));
    EXPECT_FALSE(registry.KeyExists(kHklm, "Soft\\Other"));
}

TEST(VbRegistryWrites, EmptyTextIsStoredAsOneNul) {
    MemoryRegistry registry;
    vbRegistry reg(registry);
    ASSERT_TRUE(reg.WriteString(kHklm, "Soft\\Key\\Name", ""));
    const MemoryRegistry::StoredValue expected{kRegSz, {0}};
    EXPECT_EQ(registry.Lookup(kHklm, "Soft\\Key", "Name"), expected);
}

// The class's own results, asserted directly on the in-memory registry.
TEST(VbRegistryResults, ReadsGiveTheStoredBytesAsTheClassDefinesThem) {
    MemoryRegistry registry;
    const auto seed = [&](const char* name, std::uint32_t type, const std::string& bytes) {
        registry.Seed(kHklm, "Soft\\Key", name, type, {bytes.begin(), bytes.end()});
    };
    seed("One", kRegSz, std::string("1\0", 2));
    seed("Five", kRegSz, "abcd" + std::string(1, '\0'));
    seed("Empty", kRegBinary, "");
    seed("Two", kRegSz, std::string("ab\0\0", 4));
    seed("Dword", kRegDword, std::string("\x04\x03\x02\x01", 4));
    vbRegistry reg(registry);
    EXPECT_EQ(reg.ReadLong(kHklm, "Soft\\Key\\One", "7"), 49);
    EXPECT_EQ(reg.ReadLong(kHklm, "Soft\\Key\\Five", "7"), 0);
    EXPECT_EQ(reg.ReadLong(kHklm, "Soft\\Key\\Dword", "7"), 0x01020304);
    EXPECT_EQ(reg.ReadLong(kHklm, "Soft\\Key\\Missing", "7"), 0);
    EXPECT_EQ(reg.ReadString(kHklm, "Soft\\Key\\Empty", "def"), "");
    EXPECT_EQ(reg.ReadString(kHklm, "Soft\\Key\\Two", "def"), std::string("ab\0\0", 4));
    EXPECT_EQ(reg.ReadString(kHklm, "Soft\\Key\\Missing", "def"), "def");
}

TEST(VbRegistryResults, SplitsAtTheLastBackslashFromTheSecondCharacterOn) {
    MemoryRegistry registry;
    vbRegistry reg(registry);
    ASSERT_TRUE(reg.WriteString(kHklm, "Word", "w"));        // key Word, value Word
    ASSERT_TRUE(reg.WriteString(kHklm, "Soft\\Key\\", "u")); // the unnamed value
    // Not split: the key path keeps its leading backslash, which the registry refuses, where
    // a split would have written "Lead" into the root key.
    EXPECT_FALSE(reg.WriteString(kHklm, "\\Lead", "l"));
    EXPECT_NE(reg.LastWriteResult(), kErrorSuccess);
    EXPECT_EQ(registry.Lookup(kHklm, "Word", "Word"),
              (MemoryRegistry::StoredValue{kRegSz, {'w', 0}}));
    EXPECT_EQ(registry.Lookup(kHklm, "Soft\\Key", ""),
              (MemoryRegistry::StoredValue{kRegSz, {'u', 0}}));
    EXPECT_EQ(registry.Lookup(kHklm, "", "Lead"), std::nullopt);
    EXPECT_EQ(reg.ReadString(kHklm, "Word", "def"), std::string("w\0", 2));
}

TEST(VbRegistryResults, ReadNumberTakesDwordsAndDecimalTextOnly) {
    MemoryRegistry registry;
    const auto seed = [&](const char* name, std::uint32_t type, const std::string& bytes) {
        registry.Seed(kHklm, "P", name, type, {bytes.begin(), bytes.end()});
    };
    seed("Dword", kRegDword, std::string("\xfe\xff\xff\xff", 4));
    seed("Text", kRegSz, std::string("3\0", 2));
    seed("Signed", kRegSz, std::string("-12\0\0", 5));
    seed("Expand", kRegExpandSz, "2048");
    seed("Letters", kRegSz, std::string("3a\0", 3));
    seed("Empty", kRegSz, std::string("\0", 1));
    seed("Huge", kRegSz, std::string("4294967296\0", 11));
    seed("Short", kRegDword, std::string("\x05", 1));
    seed("Binary", kRegBinary, std::string("\x05\0\0\0", 4));
    seed("Long", kRegDword, std::string("\x05\0\0\0\0", 5));
    vbRegistry reg(registry);
    const auto number = [&](const char* name) {
        return reg.ReadNumber(kHklm, std::string("P\\") + name);
    };
    EXPECT_EQ(number("Dword"), -2);
    EXPECT_EQ(number("Text"), 3);
    EXPECT_EQ(number("Signed"), -12);
    EXPECT_EQ(number("Expand"), 2048);
    for (const char* name : {"Letters", "Empty", "Huge", "Short", "Binary", "Long", "Missing"})
        EXPECT_EQ(number(name), std::nullopt) << name;
}

TEST(VbRegistryResults, ReadValueAndWriteValuePutBackTypeAndBytes) {
    MemoryRegistry registry;
    const std::vector<std::uint8_t> odd = {'a', 0, 'b', 0, 0};
    registry.Seed(kHklm, "P", "V", kRegMultiSz, odd);
    vbRegistry reg(registry);
    const auto read = reg.ReadValue(kHklm, "P\\V");
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, (RegistryValue{kRegMultiSz, odd}));
    ASSERT_TRUE(reg.WriteDword(kHklm, "P\\V", 1));
    ASSERT_TRUE(reg.WriteValue(kHklm, "P\\V", *read));
    EXPECT_EQ(registry.Lookup(kHklm, "P", "V"), (MemoryRegistry::StoredValue{kRegMultiSz, odd}));
    EXPECT_EQ(reg.ReadValue(kHklm, "P\\Missing"), std::nullopt);
    registry.DenyWrites(true);
    EXPECT_FALSE(reg.WriteValue(kHklm, "P\\V", {kRegDword, {1, 0, 0, 0}}));
    EXPECT_EQ(reg.LastWriteResult(), kErrorAccessDenied);
}

} // namespace
} // namespace talvex
