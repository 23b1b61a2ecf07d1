// Registry scenarios run once against the in-memory registry and once against Wine's real one;
// the two transcripts must be byte-identical.
#pragma once

#include "platform/registry_api.h"

#include <string>

namespace talvex::differential {

// Everything happens below HKLM\<kScratchPath>, which must not exist beforehand.
inline constexpr const char* kScratchPath = "SOFTWARE\\TalvexDiff";

std::string RunRegistryScenarios(RegistryApi& api);

} // namespace talvex::differential
