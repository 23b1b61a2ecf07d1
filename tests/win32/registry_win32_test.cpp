// The registry class on advapi32 through Win32Registry, checked against the real registry with
// advapi32 itself, below a scratch key that each test wipes.
#include "platform/win32/registry_win32.h"
#include "settings/vb_registry.h"

#include "platform/win32/win32.h"

#include <gtest/gtest.h>

#include <vector>

namespace talvex {
namespace {

constexpr RegKey kHklm = kHKeyLocalMachine;
constexpr const char* kScratch = "SOFTWARE\\TalvexTest\\Registry";

class Win32RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratch); }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TalvexTest"); }

    static std::string Path(const std::string& rest) { return std::string(kScratch) + "\\" + rest; }

    // The value as advapi32 reports it, bypassing the code under test.
    static std::vector<std::uint8_t> Stored(const std::string& key, const char* name, DWORD* type) {
        std::vector<std::uint8_t> data(64);
        auto count = static_cast<DWORD>(data.size());
        if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type,
                         data.data(), &count) != ERROR_SUCCESS)
            return {};
        data.resize(count);
        return data;
    }
    static bool KeyExists(const std::string& key) {
        HKEY hkey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS)
            return false;
        RegCloseKey(hkey);
        return true;
    }

    Win32Registry api_;
};

TEST_F(Win32RegistryTest, WritesLandInTheRealRegistryWithTheirTypesAndBytes) {
    vbRegistry reg(api_);
    ASSERT_TRUE(reg.WriteString(kHklm, Path("Params\\Name"), "abc"));
    ASSERT_TRUE(reg.WriteDword(kHklm, Path("Params\\Num"), -2));
    ASSERT_TRUE(reg.WriteDefaultString(kHklm, Path("Params"), "dflt"));
    DWORD type = 0;
    EXPECT_EQ(Stored(Path("Params"), "Name", &type), (std::vector<std::uint8_t>{'a', 'b', 'c', 0}));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Stored(Path("Params"), "Num", &type),
              (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(Stored(Path("Params"), nullptr, &type),
              (std::vector<std::uint8_t>{'d', 'f', 'l', 't', 0}));
}

TEST_F(Win32RegistryTest, ReadsReturnWhatAdvapiStored) {
    HKEY hkey = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, Path("Card").c_str(), &hkey), ERROR_SUCCESS);
    RegSetValueExA(hkey, "ServiceName", 0, REG_SZ, reinterpret_cast<const BYTE*>("svc"), 4);
    const DWORD value = 8188;
    RegSetValueExA(hkey, "Threshold", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(hkey);
    vbRegistry reg(api_);
    EXPECT_EQ(reg.ReadString(kHklm, Path("Card\\ServiceName"), "def"), std::string("svc\0", 4));
    EXPECT_EQ(reg.ReadLong(kHklm, Path("Card\\Threshold"), "0"), 8188);
    EXPECT_EQ(reg.ReadDefaultString(kHklm, Path("Card"), "def"), std::string(1, '\0'));
    EXPECT_EQ(reg.ReadString(kHklm, Path("Missing\\Name"), "def"), "def");
}

TEST_F(Win32RegistryTest, DeleteStringRemovesTheValueOrElseTheSubkey) {
    vbRegistry reg(api_);
    reg.WriteString(kHklm, Path("Del\\Name"), "x");
    reg.WriteString(kHklm, Path(R"(Del\Sub\Deeper\Name)"), "y");
    EXPECT_TRUE(reg.DeleteString(kHklm, Path("Del\\Name")));
    DWORD type = 0;
    EXPECT_TRUE(Stored(Path("Del"), "Name", &type).empty());
    EXPECT_FALSE(reg.DeleteString(kHklm, Path("Del\\Sub")));
    EXPECT_TRUE(reg.DeleteString(kHklm, Path("Del\\Sub\\Deeper")));
    EXPECT_TRUE(reg.DeleteString(kHklm, Path("Del\\Sub")));
    EXPECT_FALSE(KeyExists(Path("Del\\Sub")));
}

TEST_F(Win32RegistryTest, TheClassHoldsOneKeyAndClosesIt) {
    {
        vbRegistry reg(api_);
        for (int i = 0; i < 5; ++i) {
            reg.WriteDword(kHklm, Path("Keys\\K" + std::to_string(i) + "\\Num"), i);
            reg.ReadLong(kHklm, Path("Keys\\K0\\Num"), "0");
            EXPECT_EQ(api_.OpenHandleCount(), 1u);
        }
    }
    EXPECT_EQ(api_.OpenHandleCount(), 0u);
}

TEST_F(Win32RegistryTest, HandlesAreSmallIdsThatGoStaleWhenClosed) {
    RegKey a = 0, b = 0;
    ASSERT_EQ(api_.CreateKey(kHklm, Path("A"), &a), kErrorSuccess);
    ASSERT_EQ(api_.CreateKey(kHklm, Path("B"), &b), kErrorSuccess);
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_LT(a | b, 0x10000u);
    const std::uint8_t data[] = {'a', 0};
    EXPECT_EQ(api_.SetValueEx(a, "V", kRegSz, data, 2), kErrorSuccess);
    EXPECT_EQ(api_.CloseKey(a), kErrorSuccess);
    EXPECT_EQ(api_.CloseKey(a), kErrorInvalidHandle);
    EXPECT_EQ(api_.SetValueEx(a, "V", kRegSz, data, 2), kErrorInvalidHandle);
    EXPECT_EQ(api_.SetValueEx(b, "V", kRegSz, data, 2), kErrorSuccess);
    EXPECT_EQ(api_.CloseKey(b), kErrorSuccess);
}

} // namespace
} // namespace talvex
