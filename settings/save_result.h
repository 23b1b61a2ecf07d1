// What a settings page's save came to, for OK to act on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace talvex {

struct SaveResult {
    enum Outcome {
        Written, // every value of the page was stored
        Refused, // the page's own check refused it and told the user; nothing was written
        Failed,  // a registry write failed; what the page had written was put back
    };
    Outcome outcome = Written;
    std::int32_t error = 0; // the failed write's status, for Failed
    bool restored = true;   // for Failed: false when a value could not be put back either
    // For Written: the labels of values another program changed since the page loaded them,
    // which the save left as that program stored them.
    std::vector<std::string> keptOutside{};
};

} // namespace talvex
