#include "tests/differential/registry_scenarios.h"

#include "settings/vb_registry.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace talvex::differential {

namespace {

constexpr RegKey kUntouched = 0xDEADu; // an out-handle the call did not write

// Bytes as text: printable ASCII stays, everything else (NULs above all) is spelled \xNN.
std::string Quote(std::string_view bytes) {
    std::string out = "\"";
    for (const unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out + "\"";
}

std::string Hex(const std::uint8_t* data, std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", data[i]);
        out += hex;
    }
    return out;
}

// Handle numbers differ between registries; what a handle is relative to the call does not.
std::string Handle(RegKey handle, RegKey given) {
    if (handle == kUntouched) return "untouched";
    if (handle == 0) return "0";
    return handle == given ? "same" : "new";
}

class Session {
  public:
    explicit Session(RegistryApi& api) : api_(api) {}

    void Line(const std::string& label, const std::string& text) {
        out_ += label + ": " + text + "\n";
    }
    void Bool(const std::string& label, bool value) { Line(label, value ? "true" : "false"); }
    void Text(const std::string& label, const std::string& value) { Line(label, Quote(value)); }
    void Number(const std::string& label, long long value) { Line(label, std::to_string(value)); }

    // Path below the scratch key.
    static std::string Path(const std::string& rest) {
        return std::string(kScratchPath) + "\\" + rest;
    }

    RegKey Open(const std::string& label, RegKey root, const std::string& path, bool create) {
        RegKey key = kUntouched;
        const auto status =
            create ? api_.CreateKey(root, path, &key) : api_.OpenKey(root, path, &key);
        Line(label, "rc=" + std::to_string(status) + " h=" + Handle(key, root));
        return status == kErrorSuccess ? key : 0;
    }
    void Close(const std::string& label, RegKey key) {
        Number(label + " close", api_.CloseKey(key));
    }
    // A string written without its NUL must be followed by a non-NUL byte in memory: advapi32
    // looks one byte past the count and counts a NUL it finds there.
    void Set(RegKey key, const std::string& name, std::uint32_t type, std::string_view bytes) {
        const auto status = api_.SetValueEx(key, name, type, Bytes(bytes),
                                            static_cast<std::uint32_t>(bytes.size()));
        if (status != kErrorSuccess) Number("set " + Quote(name) + " failed", status);
    }
    // A query with a buffer of `size` bytes pre-filled with 0xAA (or none when size < 0).
    void Query(const std::string& label, RegKey key, const std::string& name, int size,
               std::uint32_t count) {
        std::vector<std::uint8_t> buffer(12, 0xAA);
        std::uint32_t type = 0x77;
        const auto status =
            api_.QueryValueEx(key, name, &type, size < 0 ? nullptr : buffer.data(), &count);
        Line(label, "rc=" + std::to_string(status) + " type=" + std::to_string(type) +
                        " count=" + std::to_string(count) + " buf=" + Hex(buffer.data(), 12));
    }
    void QueryDefault(const std::string& label, RegKey root, const std::string& path, bool withData,
                      std::int32_t count) {
        char buffer[8];
        std::memset(buffer, 0x55, sizeof buffer);
        const auto status = api_.QueryValue(root, path, withData ? buffer : nullptr, &count);
        Line(label, "rc=" + std::to_string(status) + " count=" + std::to_string(count) +
                        " buf=" + Hex(reinterpret_cast<std::uint8_t*>(buffer), sizeof buffer));
    }
    bool Exists(const std::string& path) {
        RegKey key = 0;
        if (api_.OpenKey(kHKeyLocalMachine, path, &key) != kErrorSuccess) return false;
        api_.CloseKey(key);
        return true;
    }

    RegistryApi& api() { return api_; }
    std::string& out() { return out_; }

  private:
    static const std::uint8_t* Bytes(std::string_view s) {
        return reinterpret_cast<const std::uint8_t*>(s.data());
    }
    RegistryApi& api_;
    std::string out_;
};

constexpr RegKey kHklm = kHKeyLocalMachine;

void ClassWritesAndReads(Session& s) {
    vbRegistry reg(s.api());
    s.Bool("class write string", reg.WriteString(kHklm, s.Path("Class\\Name"), "abc"));
    s.Text("class read string keeps NUL", reg.ReadString(kHklm, s.Path("Class\\Name"), "def"));
    s.Bool("class write empty", reg.WriteString(kHklm, s.Path("Class\\Empty"), ""));
    s.Text("class read empty", reg.ReadString(kHklm, s.Path("Class\\Empty"), "def"));
    s.Number("class empty as long", reg.ReadLong(kHklm, s.Path("Class\\Empty"), "7"));
    s.Bool("class write dword", reg.WriteDword(kHklm, s.Path("Class\\Dword"), -2));
    s.Number("class read dword", reg.ReadLong(kHklm, s.Path("Class\\Dword"), "7"));
    s.Text("class dword as string", reg.ReadString(kHklm, s.Path("Class\\Dword"), "def"));
    s.Bool("class write embedded NUL", reg.WriteString(kHklm, s.Path("Class\\Emb"), {"a\0b", 3}));
    s.Text("class read embedded NUL", reg.ReadString(kHklm, s.Path("Class\\Emb"), "def"));
    s.Bool("class flush", reg.FlushKey(kHklm, s.Path("Class")));
    s.Bool("class flush missing", reg.FlushKey(kHklm, s.Path("Nope")));
    RegKey key = s.Open("class key", kHklm, s.Path("Class"), false);
    s.Query("class stored string", key, "Name", 12, 12);
    s.Query("class stored dword", key, "Dword", 12, 12);
    s.Close("class key", key);
}

void SplitPaths(Session& s) {
    const RegKey root = s.Open("split root", kHklm, s.Path("Split"), true);
    {
        vbRegistry reg(s.api());
        s.Bool("split single word write", reg.WriteString(root, "Word", "w"));
        const RegKey word = s.Open("split single word key", root, "Word", false);
        s.Query("split single word value", word, "Word", 12, 12);
        s.Close("split single word", word);
        s.Bool("split trailing backslash write", reg.WriteString(root, "Trail\\", "unnamed"));
        s.Text("split trailing backslash default", reg.ReadDefaultString(root, "Trail", "def"));
        s.Text("split trailing backslash read", reg.ReadString(root, "Trail\\", "def"));
        s.Bool("split leading backslash write", reg.WriteString(root, "\\Lead", "x"));
        s.Text("split leading backslash read", reg.ReadString(root, "\\Lead", "def"));
        s.Number("split leading backslash long", reg.ReadLong(root, "\\Lead", "def"));
        s.Bool("split leading backslash delete", reg.DeleteString(root, "\\Lead"));
        s.Bool("split backslash second write", reg.WriteString(root, "\\\\Lead", "x"));
        s.Bool("split double backslash write", reg.WriteString(root, "A\\\\B", "ab"));
        s.Text("split double backslash read", reg.ReadString(root, "A\\B", "def"));
        s.Text("split trailing backslash missing key", reg.ReadString(root, "A\\B\\", "def"));
    }
    s.Close("split root", root);

    // An empty SubKey opens the root it was given and hands it back; the object then holds, and
    // finally closes, the caller's own handle.
    const RegKey lent = s.Open("split lent root", kHklm, s.Path("Split\\Lent"), true);
    {
        vbRegistry reg(s.api());
        s.Bool("split empty subkey write", reg.WriteString(lent, "", "lent"));
        s.Text("split empty subkey read", reg.ReadString(lent, "", "def"));
    }
    s.Query("split lent root after object", lent, "", -1, 0);
}

void StringReads(Session& s) {
    const RegKey key = s.Open("read key", kHklm, s.Path("Read"), true);
    s.Set(key, "Zero", kRegSz, "");
    s.Set(key, "ZeroBin", kRegBinary, "");
    s.Set(key, "TwoNul", kRegSz, {"ab\0\0", 4});
    s.Set(key, "Unterminated", kRegSz, {"abcX", 3});
    s.Set(key, "Multi", kRegMultiSz, {"a\0b\0\0", 5});
    std::string high;
    for (int c = 1; c < 256; ++c)
        high += static_cast<char>(c);
    s.Set(key, "High", kRegSz, {high.c_str(), high.size() + 1});
    s.Set(key, "Big", kRegBinary, std::string(100000, 'z'));
    s.Close("read key", key);

    vbRegistry reg(s.api());
    s.Text("read zero bytes", reg.ReadString(kHklm, s.Path("Read\\Zero"), "def"));
    s.Text("read zero binary", reg.ReadString(kHklm, s.Path("Read\\ZeroBin"), "def"));
    s.Text("read two NULs", reg.ReadString(kHklm, s.Path("Read\\TwoNul"), "def"));
    s.Text("read unterminated", reg.ReadString(kHklm, s.Path("Read\\Unterminated"), "def"));
    s.Text("read multi", reg.ReadString(kHklm, s.Path("Read\\Multi"), "def"));
    s.Text("read high bytes", reg.ReadString(kHklm, s.Path("Read\\High"), "def"));
    const std::string big = reg.ReadString(kHklm, s.Path("Read\\Big"), "def");
    s.Bool("read big", big == std::string(100000, 'z'));
    s.Text("read missing value", reg.ReadString(kHklm, s.Path("Read\\Nothing"), "def"));
    s.Text("read missing key", reg.ReadString(kHklm, s.Path("NoKey\\Nothing"), "def"));
}

void LongReads(Session& s) {
    const RegKey key = s.Open("long key", kHklm, s.Path("Long"), true);
    s.Set(key, "Digit", kRegSz, {"1\0", 2});
    s.Set(key, "Five", kRegSz, {"abcd\0", 5});
    s.Set(key, "Three", kRegBinary, "\x01\x02\x03");
    s.Set(key, "FiveBin", kRegBinary, "\x01\x02\x03\x04\x05");
    s.Set(key, "Zero", kRegBinary, "");
    s.Set(key, "Unterminated", kRegSz, {"abcX", 3});
    s.Set(key, "Negative", kRegBinary, "\xff\xff\xff\xff");
    s.Close("long key", key);

    vbRegistry reg(s.api());
    for (const char* name :
         {"Digit", "Five", "Three", "FiveBin", "Zero", "Unterminated", "Negative", "Missing"})
        s.Number(std::string("long ") + name, reg.ReadLong(kHklm, s.Path("Long\\") + name, "9"));
    s.Number("long missing key", reg.ReadLong(kHklm, s.Path("NoKey\\X"), "9"));
}

void Deletes(Session& s) {
    const RegKey key = s.Open("delete key", kHklm, s.Path("Del"), true);
    s.Set(key, "Value", kRegSz, {"v\0", 2});
    s.Set(key, "Both", kRegSz, {"b\0", 2});
    for (const char* sub : {"Sub", "Both", "Parent\\Child", "Lone"}) {
        const RegKey created = s.Open(std::string("delete make ") + sub, key, sub, true);
        s.Close("delete made", created);
    }
    s.Close("delete key", key);

    vbRegistry reg(s.api());
    s.Bool("delete value", reg.DeleteString(kHklm, s.Path("Del\\Value")));
    s.Bool("delete value again", reg.DeleteString(kHklm, s.Path("Del\\Value")));
    s.Bool("delete subkey fallback", reg.DeleteString(kHklm, s.Path("Del\\Sub")));
    s.Bool("delete subkey gone", s.Exists(s.Path("Del\\Sub")));
    s.Bool("delete value before subkey", reg.DeleteString(kHklm, s.Path("Del\\Both")));
    s.Bool("delete same-name subkey kept", s.Exists(s.Path("Del\\Both")));
    s.Bool("delete same-name subkey next", reg.DeleteString(kHklm, s.Path("Del\\Both")));
    s.Bool("delete key with subkeys", reg.DeleteString(kHklm, s.Path("Del\\Parent")));
    s.Bool("delete key with subkeys kept", s.Exists(s.Path("Del\\Parent\\Child")));
    s.Bool("delete trailing backslash", reg.DeleteString(kHklm, s.Path("Del\\Lone\\")));
    s.Bool("delete trailing backslash key gone", s.Exists(s.Path("Del\\Lone")));
    s.Bool("delete missing key", reg.DeleteString(kHklm, s.Path("NoKey\\X")));
}

void UnnamedValues(Session& s) {
    const RegKey key = s.Open("unnamed key", kHklm, s.Path("Unnamed\\Never"), true);
    s.Close("unnamed key", key);
    vbRegistry reg(s.api());
    s.Text("unnamed never set", reg.ReadDefaultString(kHklm, s.Path("Unnamed\\Never"), "def"));
    s.Text("unnamed missing key", reg.ReadDefaultString(kHklm, s.Path("NoKey"), "def"));
    s.Bool("unnamed write creates key",
           reg.WriteDefaultString(kHklm, s.Path("Unnamed\\New"), "hello"));
    s.Text("unnamed read", reg.ReadDefaultString(kHklm, s.Path("Unnamed\\New"), "def"));
    s.Text("unnamed via ReadString", reg.ReadString(kHklm, s.Path("Unnamed\\New\\"), "def"));
    s.Bool("unnamed write empty", reg.WriteDefaultString(kHklm, s.Path("Unnamed\\New"), ""));
    s.Text("unnamed read empty", reg.ReadDefaultString(kHklm, s.Path("Unnamed\\New"), "def"));
    s.Bool("unnamed write embedded NUL",
           reg.WriteDefaultString(kHklm, s.Path("Unnamed\\New"), {"ab\0cd", 5}));
    s.Text("unnamed read embedded NUL", reg.ReadDefaultString(kHklm, s.Path("Unnamed\\New"), "d"));
    s.Bool("unnamed write bad path", reg.WriteDefaultString(kHklm, "\\Bad", "x"));
    const RegKey raw = s.Open("unnamed raw key", kHklm, s.Path("Unnamed\\Raw"), true);
    s.Set(raw, "", kRegBinary, "\x01\x02\x03\x04");
    s.Text("unnamed binary", reg.ReadDefaultString(kHklm, s.Path("Unnamed\\Raw"), "def"));
    s.Set(raw, "", kRegSz, "");
    s.Text("unnamed zero bytes", reg.ReadDefaultString(kHklm, s.Path("Unnamed\\Raw"), "def"));
    s.Close("unnamed raw", raw);
}

void KeyPaths(Session& s) {
    const RegKey base = s.Open("path base", kHklm, s.Path("Paths"), true);
    s.Open("path missing", base, "Missing", false);
    s.Open("path missing deeper", base, "Missing\\Deeper", false);
    s.Open("path open empty", base, "", false);
    const RegKey again = s.Open("path create empty", base, "", true);
    s.Close("path create empty", again);
    s.Open("path open root empty", kHklm, "", false);
    s.Open("path leading backslash", base, "\\Lead", false);
    s.Open("path leading backslash create", base, "\\Lead", true);
    s.Open("path only backslash", base, "\\", true);
    s.Close("path trailing", s.Open("path trailing create", base, "Trail\\", true));
    s.Close("path trailing", s.Open("path trailing open", base, "Trail", false));
    s.Close("path double", s.Open("path double create", base, R"(Dbl\\X)", true));
    s.Close("path double", s.Open("path double open", base, R"(Dbl\X\\)", false));
    s.Close("path case", s.Open("path case create", base, "CaseKey", true));
    s.Close("path case", s.Open("path case open", base, "CASEKEY", false));
    s.Close("path latin", s.Open("path latin create", base, "\xe9t\xe9", true));
    s.Close("path latin", s.Open("path latin open", base, "\xc9T\xc9", false));
    s.Close("path y diaeresis", s.Open("path y diaeresis", base, "\xff", true));
    s.Close("path y diaeresis", s.Open("path Y diaeresis", base, "\x9f", false));
    std::string longPath;
    while (longPath.size() < 258)
        longPath += "p\\";
    longPath += "pq"; // 260 characters
    s.Close("path 260", s.Open("path 260 create", base, longPath, true));
    s.Open("path 261 create", base, longPath + "r", true);
    s.Open("path 261 open", base, longPath + "r", false);
    s.Number("path 261 delete", s.api().DeleteKey(base, longPath + "r"));
    s.Close("path component 256", s.Open("path component 256", base, std::string(256, 'c'), true));
    s.Open("path component 257", base, std::string(257, 'c'), true);
    s.Close("path base", base);
}

void Handles(Session& s) {
    RegistryApi& api = s.api();
    const RegKey key = s.Open("handle key", kHklm, s.Path("Handles"), true);
    s.Number("handle close", api.CloseKey(key));
    s.Number("handle close again", api.CloseKey(key));
    s.Query("handle closed size query", key, "v", -1, 7);
    s.Query("handle closed data query", key, "v", 12, 7);
    s.Open("handle closed open", key, "x", false);
    s.Open("handle closed create", key, "x", true);
    s.Open("handle closed open empty", key, "", false);
    s.Open("handle closed create empty", key, "", true);
    s.Number("handle closed set", api.SetValueEx(key, "v", kRegSz, nullptr, 0));
    s.Number("handle closed delete value", api.DeleteValue(key, "v"));
    s.Number("handle closed delete key", api.DeleteKey(key, "x"));
    s.QueryDefault("handle closed default", key, "", false, 7);
    s.QueryDefault("handle closed default path", key, "sub", false, 7);
    s.Number("handle closed set default", api.SetValue(key, "", kRegSz, "x", 2));
    s.Number("handle closed flush", api.FlushKey(key));

    s.Open("handle null open", 0, "x", false);
    s.Open("handle null create", 0, "x", true);
    s.Open("handle null open empty", 0, "", false);
    s.Number("handle null close", api.CloseKey(0));
    s.Number("handle null flush", api.FlushKey(0));
    s.Number("handle root flush", api.FlushKey(kHklm));
    s.Query("handle null query", 0, "v", -1, 7);
    s.Open("handle bad root open", 0x80000007u, "x", false);
    s.Number("handle bad root close", api.CloseKey(0x80000007u));
    s.Number("handle root close", api.CloseKey(kHklm));
    s.Bool("handle root still usable", s.Exists(s.Path("Handles")));
}

void ValueQueries(Session& s) {
    RegistryApi& api = s.api();
    const RegKey key = s.Open("query key", kHklm, s.Path("Query"), true);
    s.Set(key, "Text", kRegSz, {"abcdefghij\0", 11});
    s.Set(key, "Bin", kRegBinary, "abcdefghij");
    s.Set(key, "Dword", kRegDword, "\x44\x33\x22\x11");
    s.Set(key, "Unterminated", kRegSz, {"abcX", 3});
    s.Set(key, "Expand", kRegExpandSz, {"abX", 2});
    s.Set(key, "Multi", kRegMultiSz, {"abX", 2});
    s.Set(key, "BinShort", kRegBinary, "abc");
    s.Set(key, "Empty", kRegSz, "");
    s.Query("query size", key, "Text", -1, 0);
    s.Query("query size ignores count", key, "Text", -1, 1000);
    s.Query("query too small", key, "Text", 12, 4);
    s.Query("query zero count", key, "Text", 12, 0);
    s.Query("query exact", key, "Text", 12, 11);
    s.Query("query binary too small", key, "Bin", 12, 9);
    s.Query("query dword too small", key, "Dword", 12, 2);
    s.Query("query dword", key, "Dword", 12, 4);
    for (std::uint32_t count : {3u, 4u, 10u})
        s.Query("query unterminated " + std::to_string(count), key, "Unterminated", 12, count);
    s.Query("query expand unterminated", key, "Expand", 12, 10);
    s.Query("query multi unterminated", key, "Multi", 12, 10);
    s.Query("query binary no NUL added", key, "BinShort", 12, 10);
    s.Query("query empty string", key, "Empty", 12, 5);
    s.Query("query missing size", key, "Missing", -1, 7);
    s.Query("query missing data", key, "Missing", 12, 7);
    std::uint8_t byte = 0;
    s.Number("query data without count", api.QueryValueEx(key, "Text", nullptr, &byte, nullptr));
    s.Number("query neither", api.QueryValueEx(key, "Text", nullptr, nullptr, nullptr));

    s.Set(key, "MixedName", kRegSz, {"1\0", 2});
    s.Set(key, "MIXEDNAME", kRegSz, {"22\0", 3});
    s.Query("query name case", key, "mixedname", 12, 12);
    s.Number("query delete name case", api.DeleteValue(key, "MIXEDname"));
    s.Number("query delete missing", api.DeleteValue(key, "MixedName"));
    s.Number("query delete unnamed unset", api.DeleteValue(key, ""));
    s.Number("query name 16383", api.SetValueEx(key, std::string(16383, 'n'), kRegSz, nullptr, 0));
    s.Number("query name 16384", api.SetValueEx(key, std::string(16384, 'n'), kRegSz, nullptr, 0));
    s.Query("query name 16384 read", key, std::string(16384, 'n'), -1, 0);
    s.Close("query key", key);
}

void DefaultValueQueries(Session& s) {
    RegistryApi& api = s.api();
    const RegKey key = s.Open("default key", kHklm, s.Path("Default"), true);
    s.QueryDefault("default unset size", kHklm, s.Path("Default"), false, 0);
    s.QueryDefault("default unset size big count", kHklm, s.Path("Default"), false, 77);
    s.QueryDefault("default unset zero count", kHklm, s.Path("Default"), true, 0);
    s.QueryDefault("default unset by handle", key, "", true, 8);
    s.QueryDefault("default missing key", kHklm, s.Path("Nope"), true, 7);
    s.QueryDefault("default bad path", kHklm, "\\Bad", false, 7);
    s.Number("default set ignores count",
             api.SetValue(kHklm, s.Path("Default"), kRegSz, "hello", 1));
    s.QueryDefault("default set size", kHklm, s.Path("Default"), false, 0);
    s.QueryDefault("default too small", kHklm, s.Path("Default"), true, 3);
    s.QueryDefault("default read", kHklm, s.Path("Default"), true, 8);
    s.QueryDefault("default trailing backslash", kHklm, s.Path("Default\\"), false, 0);
    s.QueryDefault("default negative count", kHklm, s.Path("Default"), false, -1);
    s.Number("default set binary type", api.SetValue(kHklm, s.Path("Default"), kRegBinary, "x", 2));
    s.Number("default set null data", api.SetValue(kHklm, s.Path("Default"), kRegSz, nullptr, 0));
    s.Number("default set creates key", api.SetValue(key, "Made\\Here", kRegSz, "q", 2));
    s.Bool("default made key exists", s.Exists(s.Path("Default\\Made\\Here")));
    s.Close("default key", key);
}

void KeyDeletion(Session& s) {
    RegistryApi& api = s.api();
    const RegKey base = s.Open("kill base", kHklm, s.Path("Kill"), true);
    for (const char* path : {"P\\C", "Q", "R", "S"})
        s.Close("kill made", s.Open(std::string("kill make ") + path, base, path, true));
    s.Number("kill with subkeys", api.DeleteKey(base, "P"));
    s.Number("kill missing", api.DeleteKey(base, "Z"));
    s.Number("kill nested path", api.DeleteKey(base, "P\\C"));
    s.Bool("kill nested gone", s.Exists(s.Path("Kill\\P\\C")));
    s.Number("kill trailing backslash", api.DeleteKey(base, "Q\\"));
    s.Number("kill leading backslash", api.DeleteKey(base, "\\R"));
    s.Number("kill root itself", api.DeleteKey(kHklm, ""));

    const RegKey self = s.Open("kill self open", base, "R", false);
    const RegKey other = s.Open("kill other open", base, "R", false);
    s.Number("kill self empty name", api.DeleteKey(self, ""));
    s.Bool("kill self gone", s.Exists(s.Path("Kill\\R")));
    s.Query("kill deleted query", self, "v", -1, 7);
    s.Query("kill other handle query", other, "v", 12, 7);
    s.Number("kill deleted set", api.SetValueEx(self, "v", kRegSz, nullptr, 0));
    s.Open("kill deleted create", self, "x", true);
    s.Open("kill deleted create empty", self, "", true);
    s.Open("kill deleted open", self, "x", false);
    s.Open("kill deleted open empty", self, "", false);
    s.Number("kill deleted delete value", api.DeleteValue(self, "v"));
    s.Number("kill deleted delete again", api.DeleteKey(self, ""));
    s.QueryDefault("kill deleted default", self, "", false, 7);
    s.Number("kill deleted set default", api.SetValue(self, "", kRegSz, "x", 2));
    s.Number("kill deleted flush", api.FlushKey(self));
    s.Number("kill other handle flush", api.FlushKey(other));
    s.Close("kill recreated", s.Open("kill recreate", base, "R", true));
    s.Query("kill old handle after recreate", other, "v", -1, 7);
    s.Close("kill deleted", self);
    s.Close("kill other", other);
    s.Close("kill base", base);
}

} // namespace

std::string RunRegistryScenarios(RegistryApi& api) {
    Session s(api);
    ClassWritesAndReads(s);
    SplitPaths(s);
    StringReads(s);
    LongReads(s);
    Deletes(s);
    UnnamedValues(s);
    KeyPaths(s);
    Handles(s);
    ValueQueries(s);
    DefaultValueQueries(s);
    KeyDeletion(s);
    return s.out();
}

} // namespace talvex::differential
