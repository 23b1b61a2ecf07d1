#include "console/from_file.h"

#include "console/commands.h"
#include "settings/driver_parameters.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>
#include <optional>

namespace talvex::ctl {
namespace {

using json = nlohmann::json;

// A whole number a REG_DWORD can hold, as the registry class reads it: signed.
std::optional<std::string> DwordText(const json& number) {
    if (number.is_number_unsigned()) {
        const auto value = number.get<std::uint64_t>();
        if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
        return std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    }
    if (number.is_number_integer()) {
        const auto value = number.get<std::int64_t>();
        if (value < std::numeric_limits<std::int32_t>::min()) return std::nullopt;
        return std::to_string(value);
    }
    return std::nullopt;
}

// The text NAME=VALUE would give for a setting: from its "stored" object, or given bare; no
// text for a setting to leave alone.
struct SettingText {
    std::optional<std::string> text;
    std::string error;   // what is wrong with the document, said of the setting
    std::string refusal; // well formed, but not a value the page would write
};

SettingText Given(std::string text) {
    return {std::move(text), {}, {}};
}
SettingText Malformed(std::string error) {
    return {{}, std::move(error), {}};
}

SettingText StoredSettingText(const json& stored) {
    if (stored.is_null()) return {}; // not stored there: left alone here
    const auto type = stored.find("type");
    const auto data = stored.find("data");
    if (!stored.is_object() || type == stored.end() || data == stored.end() || !type->is_string())
        return Malformed(
            R"(has a "stored" that is neither null nor an object with "type" and "data")");
    const auto& typeName = type->get_ref<const std::string&>();
    if (typeName == "REG_DWORD") {
        if (auto text = DwordText(*data)) return Given(*text);
        return Malformed(
            "has a REG_DWORD whose \"data\" is not a whole number from 0 to 4294967295");
    }
    if (typeName == "REG_SZ" || typeName == "REG_EXPAND_SZ") {
        if (data->is_string()) return Given(data->get<std::string>());
        return Malformed("has a " + typeName + " whose \"data\" is not a string");
    }
    return {{}, {}, "a " + typeName + ", which no page writes."}; // left out, not malformed
}

SettingText BareSettingText(const json& value) {
    if (value.is_boolean()) return Given(value.get<bool>() ? "1" : "0");
    if (value.is_string()) return Given(value.get<std::string>());
    if (auto text = DwordText(value)) return Given(*text);
    return Malformed("is not an object with \"stored\", a string, a whole number or true/false");
}

SettingText SettingTextOf(const json& setting) {
    if (!setting.is_object()) return BareSettingText(setting);
    const auto stored = setting.find("stored");
    if (stored == setting.end()) return Malformed("has no \"stored\"");
    return StoredSettingText(*stored);
}

// Windows PowerShell's ">" and Out-File write UTF-16 with a byte-order mark: such a file is read
// as the UTF-8 it stands for. Any other text goes to the parser as it is (which takes UTF-8 with
// or without its mark).
std::string AsUtf8(std::string_view text) {
    if (text.size() < 2 || static_cast<unsigned char>(text[0]) != 0xFF ||
        static_cast<unsigned char>(text[1]) != 0xFE)
        return std::string(text);
    std::string utf8;
    const auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i]) |
                                          (static_cast<unsigned char>(text[i + 1]) << 8));
    };
    for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
        std::uint32_t code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < text.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD; // a lone half of a pair
        }
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (code >> 18));
            utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

} // namespace

FromFile ReadFromFile(std::string_view text) {
    FromFile result;
    const std::string utf8 = AsUtf8(text);
    const json document = json::parse(utf8.begin(), utf8.end(), nullptr, false);
    if (document.is_discarded()) {
        result.error = "is not JSON, or is cut short";
        return result;
    }
    const auto schema = document.is_object() ? document.find("schema") : document.end();
    if (!document.is_object() || schema == document.end() || !schema->is_number_integer()) {
        result.error = "is not a document of TalvexCtl show --json (no \"schema\" number)";
        return result;
    }
    if (schema->get<std::int64_t>() != kJsonSchema) {
        result.error = "has schema " + std::to_string(schema->get<std::int64_t>()) +
                       "; this TalvexCtl reads schema " + std::to_string(kJsonSchema);
        return result;
    }
    const auto settings = document.find("settings");
    if (settings == document.end() || !settings->is_object()) {
        result.error = "has no \"settings\" object";
        return result;
    }
    for (const auto& [name, setting] : settings->items()) {
        const DriverParameter* parameter = FindDriverParameter(name);
        if (!parameter || name != parameter->valueName) {
            result.error = "names no setting \"" + name + "\"";
            return result;
        }
        SettingText value = SettingTextOf(setting);
        if (!value.error.empty()) {
            result.error = "has a setting \"" + name + "\" that " + value.error;
            return result;
        }
        if (std::string(parameter->valueName) == "NetworkAddress") {
            if (value.text || !value.refusal.empty())
                result.warnings.emplace_back("NetworkAddress is not applied from a file: two "
                                             "machines with one address break the network.");
            continue;
        }
        const bool stored = setting.is_object();
        if (stored && value.text && !ParseStoredSetting(*parameter, *value.text))
            value.refusal = *value.text + "; " + RefusalText(*parameter);
        if (!value.refusal.empty())
            result.warnings.push_back(name + " is left as it is here: the file holds " +
                                      value.refusal);
        else if (value.text)
            result.assignments.push_back({name, *value.text, stored});
    }
    return result;
}

Failure AssignmentsFromFile(const std::string& path, const char* nothingDone, CtlEnvironment& env,
                            std::vector<std::string>& warnings,
                            std::vector<Assignment>& assignments) {
    const auto text = env.readFile(path, kMaxFromFileBytes);
    if (!text)
        return Tell(env, kExitUsage,
                    path + " can't be read, or is larger than 1 MiB. " + nothingDone);
    FromFile from = ReadFromFile(*text);
    if (!from.error.empty()) return Tell(env, kExitUsage, path + " " + from.error + ". " + nothingDone);
    for (std::string& warning : from.warnings) {
        TellWarning(env, warning);
        warnings.push_back(std::move(warning));
    }
    assignments = std::move(from.assignments);
    return {};
}

std::optional<ParameterValue> ParseStoredSetting(const DriverParameter& parameter,
                                                 std::string_view text) {
    if (&parameter == &Parameter(Param::EnableGVRP) && text == "2") return std::int32_t{2};
    return ParseParameterValue(parameter, text);
}

} // namespace talvex::ctl
