// The diagnostic tests, in the order a run takes them: the one table from which the runner, the
// Diagnostic page's list, the console tool's --tests names and its help are made.
#pragma once

#include "diag/result_tips.h"
#include "hardware/registers.h"
#include "hardware/srom_image.h"

#include <array>
#include <iterator>
#include <string>

namespace talvex {

struct DiagTest {
    const char* id;                      // as the console tool's --tests names it
    const char* caption;                 // the item in the page's list
    bool (*run)();                       // the test, on the open hardware; true when it passed
    std::string (*explain)(bool passed); // what it saw, for the item's tip
    bool readsPermanentAddress;          // the SROM test: its pass shows the permanent address
};

inline constexpr DiagTest kDiagTests[] = {
    {"register", "Register Test", TestRegisterAccess, ExplainRegisterTest, false},
    {"srom", "SROM Test", TestSrom, ExplainSromTest, true},
    {"cable", "Cable Test", GetLinkStatus, ExplainCableTest, false},
};
// The runner numbers the items from 1, in the table's order.
inline constexpr int kDiagItemCount = static_cast<int>(std::size(kDiagTests));
// Which of the tests to run, in the table's order.
using DiagSelection = std::array<bool, kDiagItemCount>;

constexpr DiagSelection EveryDiagTest() {
    DiagSelection every{};
    every.fill(true);
    return every;
}

// The most cycles one run takes, on the page's count and the console tool's --cycles.
inline constexpr int kMaxDiagCycles = 50;

} // namespace talvex
