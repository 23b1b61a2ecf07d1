#include "console/settings_view.h"

#include "settings/parameter_writer.h"

#include <cstdio>

namespace talvex::ctl {
namespace {

struct TypeName {
    std::uint32_t type;
    const char* name;
};
constexpr TypeName kTypeNames[] = {
    {0, "REG_NONE"},
    {kRegSz, "REG_SZ"},
    {kRegExpandSz, "REG_EXPAND_SZ"},
    {kRegBinary, "REG_BINARY"},
    {kRegDword, "REG_DWORD"},
    {5, "REG_DWORD_BIG_ENDIAN"},
    {6, "REG_LINK"},
    {kRegMultiSz, "REG_MULTI_SZ"},
    {11, "REG_QWORD"},
};

std::string TypeText(std::uint32_t type) {
    for (const TypeName& entry : kTypeNames)
        if (entry.type == type) return entry.name;
    return "type " + std::to_string(type);
}

bool IsText(const RegistryValue& value) {
    return value.type == kRegSz || value.type == kRegExpandSz;
}

std::string Text(const RegistryValue& value) {
    return std::string(
        WithoutTrailingNuls({reinterpret_cast<const char*>(value.data.data()), value.data.size()}));
}

std::string HexBytes(const RegistryValue& value, const char* separator) {
    std::string text;
    for (std::uint8_t byte : value.data) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        if (!text.empty()) text += separator;
        text += digits;
    }
    return text;
}

} // namespace

std::string StoredText(const std::optional<RegistryValue>& stored) {
    if (!stored) return "missing";
    const std::string type = TypeText(stored->type);
    if (const auto number = DwordOf(*stored)) return type + " " + std::to_string(*number);
    if (IsText(*stored)) return type + " \"" + Text(*stored) + "\"";
    return type + " " + HexBytes(*stored, " ");
}

nlohmann::ordered_json StoredJson(const std::optional<RegistryValue>& stored,
                                  const AnsiToUtf8& utf8) {
    if (!stored) return nullptr;
    nlohmann::ordered_json json = {{"type", TypeText(stored->type)}};
    if (const auto number = DwordOf(*stored))
        json["data"] = *number;
    else if (IsText(*stored))
        json["data"] = utf8(Text(*stored));
    else
        json["data"] = HexBytes(*stored, "");
    return json;
}

RegistryValue WrittenValue(const ParameterValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        const std::string written = text->substr(0, text->find('\0'));
        RegistryValue result{kRegSz, {written.begin(), written.end()}};
        result.data.push_back(0);
        return result;
    }
    return DwordValue(static_cast<std::uint32_t>(std::get<std::int32_t>(value)));
}

// The strings put in are UTF-8 (registry texts converted from the ANSI code page); should one
// not be, its stray bytes become U+FFFD rather than an exception.
std::string JsonText(const nlohmann::ordered_json& document, int indent) {
    return document.dump(indent, ' ', true, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace talvex::ctl
