// One program at a time, with the real programs beside this test and the real registry: the old
// marks made first by another process stop neither program, a mark in use is refused to a second
// holder and a killed holder lets go; and the console tool's end at a closing console or session,
// delivered as Windows delivers it (kernelbase's CtrlRoutine, on a thread of its own) in the middle
// of a real run on DriverAgent.dll.
#include "console/ctl.h"
#include "console/win32/console_services.h"
#include "hardware/registers.h"
#include "platform/win32/program_mark.h"
#include "platform/win32/registry_win32.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>

namespace talvex::win32 {
namespace {

using Clock = std::chrono::steady_clock;
constexpr char kCard[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)";
constexpr char kDriver[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1)";

bool WaitUntil(const std::function<bool()>& done) {
    for (const auto deadline = Clock::now() + std::chrono::seconds(15); !done(); Sleep(1))
        if (Clock::now() > deadline) return false;
    return true;
}

// Whether someone holds the mark, asked without taking it: the file exists only while held.
bool MarkThere(const char* name) {
    return GetFileAttributesA((ProgramFolder() + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ProgramMarks : public testing::Test {
  protected:
    // The adapter both programs find, with its I/O base: the window starts, diag runs.
    static void SetUpTestSuite() {
        for (const auto& [value, text] :
             {std::pair{"Title", "Talvex Adapter"}, std::pair{"ProductName", "TVR8Q"},
              std::pair{"ServiceName", "TVR8Q1"}})
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, kCard, value, REG_SZ, text,
                            static_cast<DWORD>(std::strlen(text) + 1));
        const DWORD base = 0xE000;
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, (std::string(kDriver) + "\\Parameters").c_str(),
                        "BaseAddress", REG_DWORD, &base, sizeof base);
    }
    static void TearDownTestSuite() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCard);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kDriver);
    }
};

TEST_F(ProgramMarks, OldSquattersStopNeitherProgramASecondHolderIsRefusedAKilledOneLetsGo) {
    // The old marks, global mutexes any process could make and own before the programs start.
    const ScopedKernelHandle oldInstance(
        CreateMutexA(nullptr, TRUE, "Global\\TalvexAdapterConfiguration.Instance"));
    const ScopedKernelHandle oldHardware(
        CreateMutexA(nullptr, TRUE, "Global\\TalvexAdapterConfiguration.Hardware"));
    ASSERT_TRUE(oldInstance && oldHardware);

    // Each with the mark it holds: the window's for its life, diag's for its run.
    for (const auto& [program, name] : {std::pair{"TalvexCfg.exe", kInstanceMarkName},
                                        std::pair{"TalvexCtl.exe diag --cycles 50",
                                                  kHardwareMarkName}}) {
        const char* const mark = name;
        std::string commandLine = ProgramFolder() + program;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                   CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info));
        const ScopedKernelHandle process(info.hProcess), thread(info.hThread);

        EXPECT_TRUE(WaitUntil([mark] { return MarkThere(mark); })) << program;
        EXPECT_EQ(TakeProgramMark(mark).state, MarkState::HeldElsewhere) << program;
        TerminateProcess(process.get(), 1);
        ASSERT_EQ(WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0);
        const ProgramMark mine = TakeProgramMark(mark);
        EXPECT_EQ(mine.state, MarkState::Held) << program;
        EXPECT_EQ(TakeProgramMark(mark).state, MarkState::HeldElsewhere) << program;
    }
    EXPECT_FALSE(MarkThere(kInstanceMarkName) || MarkThere(kHardwareMarkName));
    // Where no file can be made the mark is unavailable, not held.
    EXPECT_EQ(TakeProgramMark(kHardwareMarkName, ProgramFolder() + "no such folder\\").state,
              MarkState::Unavailable);
}

// The library's calls pass through here: what the run asked of the adapter, counted.
const DriverAgentApi* library = nullptr;
std::atomic<int> resumes{0}, eepromReads{0};
void WINAPI CountedWriteWord(uint32_t range, uint32_t offset, uint32_t value, int32_t* status) {
    library->IoWriteWord(range, offset, value, status);
    eepromReads += offset == kEepromControlRegister;
}
void WINAPI CountedWriteDWord(uint32_t range, uint32_t offset, uint32_t value, int32_t* status) {
    library->IoWriteDWord(range, offset, value, status);
    resumes += offset == kAdapterControlRegister && value == kResumeSecond;
}

// Reached only when the handlers registered after it leave the event to the default handler,
// which would end this test program.
std::atomic<bool> leftToTheDefault{false};
BOOL WINAPI InPlaceOfTheDefault(DWORD) {
    leftToTheDefault = true;
    return TRUE;
}

TEST_F(ProgramMarks, ClosingTheConsoleOrEndingTheSessionEndsARunWithTheAdapterResumedFirst) {
    const auto ctrlRoutine = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernelbase.dll"), "CtrlRoutine")));
    ASSERT_NE(ctrlRoutine, nullptr);
    SetConsoleCtrlHandler(InPlaceOfTheDefault, TRUE);
    Clock::duration longest{};
    for (DWORD event : {CTRL_CLOSE_EVENT, CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT}) {
        Win32Registry registry;
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
            ctrlRoutine(reinterpret_cast<void*>(static_cast<ULONG_PTR>(event)));
            waited = Clock::now() - sent;
            resumedOnReturn = resumes;
        });
        ctl::CtlEnvironment env{registry, services, out, err, [] { return true; },
                                [](const std::string&, std::size_t) { return std::nullopt; },
                                [](std::string_view text) { return std::string(text); },
                                [](std::string_view text) { return std::optional<std::string>(text); }};
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
