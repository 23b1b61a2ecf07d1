#include "platform/win32/hardware_guard.h"

#include "platform/win32/win32.h"

namespace talvex::win32 {
namespace {

// mingw-w64's g++ has no __try. A vectored handler sees the fault first; it sends the thread to
// ReturnFromFault on a fresh stretch of stack below the faulting frames, which jumps back into
// GuardedHardwareCall. No frame in between is unwound: the guarded procedures hold only plain
// values.
struct Guard {
    void* jump[5] = {};
    bool armed = false;
} guard;

[[noreturn]] __attribute__((noinline)) void ReturnFromFault() {
    __builtin_longjmp(guard.jump, 1);
}

// Error severity, except a stack overflow: the stack below is gone, there is nowhere to land.
bool IsFault(DWORD code) {
    return (code & 0xC0000000u) == 0xC0000000u && code != EXCEPTION_STACK_OVERFLOW;
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
    if (!guard.armed || !IsFault(info->ExceptionRecord->ExceptionCode))
        return EXCEPTION_CONTINUE_SEARCH;
    guard.armed = false;
    CONTEXT& context = *info->ContextRecord;
    // As at a function's entry: 8 below a 16-byte boundary, clear of the faulting frame.
    context.Rsp = ((context.Rsp - 256) & ~DWORD64{15}) - 8;
    context.Rip = reinterpret_cast<DWORD64>(&ReturnFromFault);
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

bool GuardedHardwareCall(const std::function<void()>& call) {
    static const PVOID handler = AddVectoredExceptionHandler(1, OnException);
    if (!handler) {
        call();
        return true;
    }
    if (__builtin_setjmp(guard.jump)) return false; // back from a fault
    guard.armed = true;
    call();
    guard.armed = false;
    return true;
}

} // namespace talvex::win32
