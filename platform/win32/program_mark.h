// The marks that keep one program at a time: a file in the programs' folder, held open while the
// mark is held. docs/marks.md says what they protect against and what not.
#pragma once

#include "platform/win32/win32.h"

#include <string>

namespace talvex::win32 {

// Names of the marks in the programs' folder; both programs use these.
inline constexpr char kInstanceMarkName[] = "TalvexAdapterConfiguration.Instance";
inline constexpr char kHardwareMarkName[] = "TalvexAdapterConfiguration.Hardware";
inline constexpr char kChangeMarkName[] = "TalvexAdapterConfiguration.Change";

enum class MarkState {
    Held,          // this process holds it
    HeldElsewhere, // another process (or another take in this one) holds it
    Unavailable,   // no mark can be made in that folder (missing, read-only, ...)
};

struct ProgramMark {
    ScopedKernelHandle file; // set only when Held
    MarkState state = MarkState::Unavailable;
};

// Takes the mark name in folder (the running program's by default). Held until the handle closes,
// which the system does for a process that ends in any way.
ProgramMark TakeProgramMark(const std::string& name, const std::string& folder = ProgramFolder());

} // namespace talvex::win32
