#include "settings/numbers.h"

#include <algorithm>
#include <limits>

namespace talvex {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

// Leading zeros are allowed ("007" is 7); a value beyond 32 bits is not a number here, rather
// than some other number after a wrap.
std::optional<std::int32_t> ParseInt32(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + negative;
    std::int64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<std::int32_t> ParseDigits(std::string_view text) {
    if (text.empty()) return std::nullopt;
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = std::min(value * 10 + (c - '0'), kMax);
    }
    return static_cast<std::int32_t>(value);
}

} // namespace talvex
