// Whether a NetworkAddress text is one the driver will use.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talvex {

inline constexpr char kNetworkAddressTipTitle[] = "Network Address";

// Why the driver would ignore the text, said for the user; nullopt when it will take it. The
// empty text is fine: it leaves the adapter on its own address.
std::optional<std::string> NetworkAddressProblem(std::string_view text);

} // namespace talvex
