// The console tool when its console closes or the session ends during a diag run, as Windows
// delivers it: kernelbase's CtrlRoutine with the event, on a thread of its own, in the middle of a
// real run on DriverAgent.dll.
#include "console/ctl.h"
#include "console/win32/console_services.h"
#include "hardware/driver_agent.h"
#include "hardware/registers.h"
#include "platform/memory/memory_registry.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace talvex::win32 {
namespace {

using Clock = std::chrono::steady_clock;

// The library's calls pass through here: what the run asked of the adapter, counted.
const DriverAgentApi* library = nullptr;
std::atomic<int> resumes{0}, eepromReads{0};

void WINAPI CountedWriteWord(uint32_t range, uint32_t offset, uint32_t value, int32_t* status) {
    library->IoWriteWord(range, offset, value, status);
    if (offset == kEepromControlRegister) ++eepromReads;
}

void WINAPI CountedWriteDWord(uint32_t range, uint32_t offset, uint32_t value, int32_t* status) {
    library->IoWriteDWord(range, offset, value, status);
    if (offset == kAdapterControlRegister && value == kResumeSecond) ++resumes;
}

// Reached only when the handlers registered after it leave the event to the default handler,
// which would end this test program.
std::atomic<bool> leftToTheDefault{false};
BOOL WINAPI InPlaceOfTheDefault(DWORD) {
    leftToTheDefault = true;
    return TRUE;
}

// The work horse Windows runs in the process for a console event.
LPTHREAD_START_ROUTINE CtrlRoutine() {
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernelbase.dll"), "CtrlRoutine")));
}

bool WaitUntil(const std::function<bool()>& done) {
    for (const auto deadline = Clock::now() + std::chrono::seconds(15); !done();) {
        if (Clock::now() > deadline) return false;
        ::Sleep(1);
    }
    return true;
}

TEST(ConsoleControl, CloseLogoffAndShutdownEndARunWithTheAdapterResumedBeforeTheHandlerReturns) {
    ASSERT_NE(CtrlRoutine(), nullptr);
    MemoryRegistry registry;
    const std::string card = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)";
    registry.SeedString(kHKeyLocalMachine, card, "Title", "Talvex Adapter");
    registry.SeedString(kHKeyLocalMachine, card, "ProductName", "TVR8Q");
    registry.SeedString(kHKeyLocalMachine, card, "ServiceName", "TVR8Q1");
    registry.Seed(kHKeyLocalMachine, R"(SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters)",
                  "BaseAddress", kRegDword, {0x00, 0xE0, 0x00, 0x00});
    SetConsoleCtrlHandler(InPlaceOfTheDefault, TRUE);

    Clock::duration longest{};
    for (DWORD event : {CTRL_CLOSE_EVENT, CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT}) {
        ctl::StringOutput out, err;
        ConsoleServices services(err);
        ASSERT_TRUE(services.LoadDriverAgent());
        library = &DriverAgent();
        DriverAgentApi counted = *library;
        counted.IoWriteWord = CountedWriteWord;
        counted.IoWriteDWord = CountedWriteDWord;
        SetDriverAgent(&counted);
        resumes = eepromReads = 0;
        leftToTheDefault = false;

        // Sent as the first SROM test begins: the longest of the three, waited for whole.
        int resumedOnReturn = -1;
        Clock::duration waited{};
        std::thread console([&] {
            if (!WaitUntil([] { return eepromReads >= 1; })) return;
            const auto sent = Clock::now();
            CtrlRoutine()(reinterpret_cast<void*>(static_cast<ULONG_PTR>(event)));
            waited = Clock::now() - sent;
            resumedOnReturn = resumes;
        });
        ctl::CtlEnvironment env{registry, services, out, err, [] { return true; },
                                [](const std::string&, std::size_t) { return std::nullopt; }};
        const std::string args[] = {"diag", "--cycles", "3", "--json"};
        const int status = ctl::RunTalvexCtl(args, env);
        console.join();
        SetDriverAgent(library);

        EXPECT_EQ(resumedOnReturn, 1) << event;
        EXPECT_FALSE(leftToTheDefault) << event;
        EXPECT_LT(waited, kEndingWait) << event;
        longest = std::max(longest, waited);
        // Stopped in the cycle the event came in: a failure, never a pass.
        EXPECT_EQ(status, ctl::kExitRefused) << event << err.text;
        const auto document = nlohmann::json::parse(out.text, nullptr, false);
        EXPECT_TRUE(document.is_object() && document.value("stopped", false) &&
                    document.value("cyclesRun", 0) == 1)
            << out.text;
    }
    SetConsoleCtrlHandler(InPlaceOfTheDefault, FALSE);
    std::printf("The console's handler waited %lld ms at most\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(longest).count()));
}

} // namespace
} // namespace talvex::win32
