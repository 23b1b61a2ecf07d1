// The guard around the hardware library under Wine, beside libraries that handle exceptions of
// their own and threads of their own.
#include "hardware/driver_agent.h"
#include "hardware/registers.h"
#include "platform/win32/hardware_guard.h"
#include "platform/win32/win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace talvex::win32 {
namespace {

// A stand-in for a library with a structured handler of its own: code run inside
// TalvexTestLibraryFrame may raise libraryHandles, which the frame's handler takes (counting it)
// and continues from, as a probe or a library's own catch would. Anything else it leaves to the
// frames outside.
std::atomic<DWORD> libraryHandles{0};
std::atomic<int> libraryHandled{0};

} // namespace
} // namespace talvex::win32

extern "C" {

void TalvexTestLibraryFrame(void (*body)());
EXCEPTION_DISPOSITION TalvexTestLibraryHandler(EXCEPTION_RECORD* record, void* /*frame*/,
                                               CONTEXT* /*context*/, void* /*dispatch*/) {
    if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0 ||
        record->ExceptionCode != talvex::win32::libraryHandles)
        return ExceptionContinueSearch;
    ++talvex::win32::libraryHandled;
    return ExceptionContinueExecution;
}

asm(R"(
    .text
    .p2align 4
    .globl TalvexTestLibraryFrame
    .def TalvexTestLibraryFrame; .scl 2; .type 32; .endef
    .seh_proc TalvexTestLibraryFrame
TalvexTestLibraryFrame:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler TalvexTestLibraryHandler, @except
    callq *%rcx
    nop
    addq $40, %rsp
    ret
    .seh_endproc
)");

} // extern "C"

namespace talvex::win32 {
namespace {

constexpr DWORD kForeignCppThrow = 0xE06D7363; // a C++ throw by another compiler's runtime

void RaiseHandledCode() {
    RaiseException(libraryHandles, 0, 0, nullptr);
}

void ReadWild() {
    volatile uintptr_t wild = 0x10;
    static_cast<void>(*reinterpret_cast<volatile const int*>(wild));
}

TEST(HardwareGuard, TakesOnlyFaultsOfItsOwnCallThatTheLibraryLeftUnhandled) {
    // The library's own exceptions (a foreign C++ throw it catches, a probe under its own
    // handler) are none of the guard's: the call goes on to its end.
    for (DWORD code : {kForeignCppThrow, DWORD{EXCEPTION_ACCESS_VIOLATION}}) {
        libraryHandles = code;
        libraryHandled = 0;
        int steps = 0;
        EXPECT_TRUE(GuardedHardwareCall([&] {
            TalvexTestLibraryFrame(RaiseHandledCode);
            ++steps;
        })) << std::hex << code;
        EXPECT_EQ(steps, 1);
        EXPECT_EQ(libraryHandled, 1);
    }

    // A fault the library's handler declines is the guard's, through the library's frames.
    libraryHandles = kForeignCppThrow;
    libraryHandled = 0;
    int steps = 0;
    EXPECT_FALSE(GuardedHardwareCall([&] {
        TalvexTestLibraryFrame(ReadWild);
        ++steps;
    }));
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(libraryHandled, 0);
    EXPECT_TRUE(GuardedHardwareCall([&] { ++steps; }));
    EXPECT_EQ(steps, 1);
}

TEST(HardwareGuard, AnotherThreadsExceptionsAreNotTakenByTheArmedCall) {
    libraryHandles = EXCEPTION_ACCESS_VIOLATION;
    libraryHandled = 0;
    bool otherGuarded = true;
    int steps = 0;
    EXPECT_TRUE(GuardedHardwareCall([&] {
        std::thread other([&] {
            // Handled on its own thread by its own handler...
            TalvexTestLibraryFrame(RaiseHandledCode);
            // ...and a fault under a guarded call of that thread's own, which it alone takes.
            otherGuarded = GuardedHardwareCall(ReadWild);
        });
        other.join();
        ++steps;
    }));
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(libraryHandled, 1);
    EXPECT_FALSE(otherGuarded);
}

// What the program does at exit, with a library whose close functions fault.
TEST(HardwareGuard, ALibraryFaultingInItsCloseEndsTheClosingAndNothingMore) {
    static int closesAfter = 0;
    const DriverAgentApi faultingClose = {
        [] { return int32_t{1}; },
        [] { ++closesAfter; },
        [](const char*, uint32_t, int32_t*) { return uint32_t{0}; },
        [](uint32_t, const char*, uint32_t, int32_t*) { return uint32_t{0}; },
        [](uint32_t) { ReadWild(); }, // DaCloseIoRange
        [](uint32_t) { ++closesAfter; },
        [](uint32_t, uint32_t, int32_t*) { return uint8_t{0}; },
        [](uint32_t, uint32_t, int32_t*) { return uint16_t{0}; },
        [](uint32_t, uint32_t, uint32_t, int32_t*) {},
        [](uint32_t, uint32_t, uint32_t, int32_t*) {},
    };
    SetDriverAgent(&faultingClose);
    EXPECT_FALSE(GuardedHardwareCall(CloseAdapterAccess));
    EXPECT_EQ(closesAfter, 0);
    SetDriverAgent(nullptr);
    EXPECT_TRUE(GuardedHardwareCall(CloseAdapterAccess));
}

} // namespace
} // namespace talvex::win32
