#include "platform/win32/hardware_guard.h"

#include "platform/win32/win32.h"

namespace talvex::win32 {
namespace {

// mingw-w64's g++ has no __try, so the guarded call runs inside GuardTrampoline below, a frame
// of our own with a frame-based exception handler. Frames are searched from the innermost out:
// an exception the library raises and handles itself (its own structured handler, a C++ throw
// it catches, whatever compiler built it) is taken by the library's frames and never reaches
// ours, and one raised on another thread never passes through this thread's frames at all. What
// reaches OnGuardFrame is a fault on the guarded call's own thread that nothing inside the call
// took: it sends the thread to ReturnFromFault on a fresh stretch of stack below the faulting
// frames, which jumps back into GuardedHardwareCall. No frame in between is unwound: the
// guarded procedures hold only plain values.
struct Guard {
    void* jump[5] = {};
    bool armed = false;
};
thread_local Guard guard;

[[noreturn]] __attribute__((noinline)) void ReturnFromFault() {
    __builtin_longjmp(guard.jump, 1);
}

// Error severity, except a stack overflow: the stack below is gone, there is nowhere to land.
bool IsFault(DWORD code) {
    return (code & 0xC0000000u) == 0xC0000000u && code != EXCEPTION_STACK_OVERFLOW;
}

} // namespace
} // namespace talvex::win32

extern "C" {

// Calls call(context) in a frame whose exception handler is TalvexOnGuardFrame. The nop keeps
// the return address out of the epilogue, where the unwinder would not look for a handler.
void TalvexGuardTrampoline(void (*call)(void*), void* context);
EXCEPTION_DISPOSITION TalvexOnGuardFrame(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                         void* dispatch);

asm(R"(
    .text
    .p2align 4
    .globl TalvexGuardTrampoline
    .def TalvexGuardTrampoline; .scl 2; .type 32; .endef
    .seh_proc TalvexGuardTrampoline
TalvexGuardTrampoline:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler TalvexOnGuardFrame, @except
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    nop
    addq $40, %rsp
    ret
    .seh_endproc
)");

EXCEPTION_DISPOSITION TalvexOnGuardFrame(EXCEPTION_RECORD* record, void* /*frame*/,
                                         CONTEXT* context, void* /*dispatch*/) {
    using talvex::win32::guard;
    // An unwind passing through (an outer handler's doing) is none of ours to stop.
    if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0 || !guard.armed ||
        !talvex::win32::IsFault(record->ExceptionCode))
        return ExceptionContinueSearch;
    guard.armed = false;
    // As at a function's entry: 8 below a 16-byte boundary, clear of the faulting frame.
    context->Rsp = ((context->Rsp - 256) & ~DWORD64{15}) - 8;
    context->Rip = reinterpret_cast<DWORD64>(&talvex::win32::ReturnFromFault);
    return ExceptionContinueExecution;
}

} // extern "C"

namespace talvex::win32 {

bool GuardedHardwareCall(const std::function<void()>& call) {
    if (__builtin_setjmp(guard.jump)) return false; // back from a fault
    guard.armed = true;
    TalvexGuardTrampoline(
        [](void* context) { (*static_cast<const std::function<void()>*>(context))(); },
        const_cast<std::function<void()>*>(&call));
    guard.armed = false;
    return true;
}

} // namespace talvex::win32
