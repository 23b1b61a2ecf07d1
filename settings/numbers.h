// Decimal numbers as the settings pages and the driver's parameters spell them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace talvex {

// A whole 32-bit signed number in decimal: an optional sign and at least one digit, nothing else.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// Text of one or more decimal digits and nothing else, as a number that saturates at the
// largest 32-bit value; nullopt for any other text, the empty text included.
std::optional<std::int32_t> ParseDigits(std::string_view text);

} // namespace talvex
