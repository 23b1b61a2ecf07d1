// The adapter's settings as the console tool reports them: each value as stored (the pages' own
// reading, ReadParameters, gives what they show).
#pragma once

#include "console/environment.h"
#include "platform/registry_api.h"
#include "settings/driver_parameters.h"
#include "settings/vb_registry.h"
#include "shell/find_adapter.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace talvex::ctl {

// "REG_DWORD 3", "REG_SZ \"64\"", "REG_BINARY 01 02", "missing".
std::string StoredText(const std::optional<RegistryValue>& stored);
// {"type": "REG_DWORD", "data": 3}, the text up to its terminators for REG_SZ and REG_EXPAND_SZ,
// hexadecimal bytes for anything else; null when missing.
// Texts as UTF-8.
nlohmann::ordered_json StoredJson(const std::optional<RegistryValue>& stored,
                                  const AnsiToUtf8& utf8);

// The registry value a write of value would leave: a REG_DWORD, or the text up to its first NUL
// as a REG_SZ with its terminator.
RegistryValue WrittenValue(const ParameterValue& value);

// The document as text: everything beyond ASCII escaped, so that no code page can garble it.
std::string JsonText(const nlohmann::ordered_json& document, int indent);

} // namespace talvex::ctl
