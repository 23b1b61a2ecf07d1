// Calls into the hardware-access library that survive the library faulting.
#pragma once

#include <functional>

namespace talvex::win32 {

// Runs call; false when a structured exception of error severity (an access violation, an
// illegal instruction, a library's own RaiseException) was raised inside it on this thread and
// nothing inside the call handled it. Execution then leaves the call at once: nothing in it may
// need destroying, and calls must not nest.
bool GuardedHardwareCall(const std::function<void()>& call);

} // namespace talvex::win32
