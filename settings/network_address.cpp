#include "settings/network_address.h"

#include <algorithm>
#include <cctype>

namespace talvex {

namespace {

constexpr char kExpectedForm[] =
    " Enter 12 hexadecimal digits, such as 02004C4F4F50 or 02-00-4C-4F-4F-50.";

} // namespace

// Hyphens and colons only separate the pairs. A multicast address has the lowest bit of its
// first byte set (broadcast, all ones, is one of them); neither can be an adapter's own.
std::optional<std::string> NetworkAddressProblem(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::string digits;
    for (char c : text)
        if (c != '-' && c != ':') digits += c;
    const bool hex = std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c));
    });
    if (digits.size() != 12 || !hex)
        return std::string("The driver will ignore this address.") + kExpectedForm;
    if (digits.find_first_not_of('0') == std::string::npos)
        return std::string("The driver will ignore an address of all zeros.") + kExpectedForm;
    const int firstByte = std::stoi(digits.substr(0, 2), nullptr, 16);
    if (firstByte & 1)
        return std::string("The driver will ignore a multicast or broadcast address (an odd "
                           "first pair). Enter an address of one adapter, such as 02004C4F4F50.");
    return std::nullopt;
}

} // namespace talvex
