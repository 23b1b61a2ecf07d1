// The in-memory registry refusing chosen writes, for tests of saves that fail midway.
#pragma once

#include "platform/memory/memory_registry.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace talvex {

// A memory registry that refuses to set the named values: a save that fails midway, with the
// status refusal or, when refuseByThrowing, by failing with no status at all. refusePutBack
// names a value whose second set, the putting back, is refused.
class RefusingRegistry : public MemoryRegistry {
  public:
    std::int32_t SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t count) override {
        sets.push_back(name);
        if (name == refusePutBack && std::count(sets.begin(), sets.end(), name) > 1) return refusal;
        if (!refuse.contains(name)) return MemoryRegistry::SetValueEx(key, name, type, data, count);
        if (refuseByThrowing) throw std::runtime_error("registry failure");
        return refusal;
    }
    std::set<std::string> refuse;
    std::string refusePutBack;
    std::int32_t refusal = kErrorAccessDenied;
    bool refuseByThrowing = false;
    std::vector<std::string> sets; // names of the values set, in order
};

} // namespace talvex
