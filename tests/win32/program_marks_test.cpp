// The marks that keep one program at a time, with the real programs beside this test: the old
// marks made first by another process no longer stop either program, a mark in use is refused to a
// second holder, and a killed holder lets go of it.
#include "platform/win32/program_mark.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <utility>

namespace talvex::win32 {
namespace {

constexpr char kCard[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)";
constexpr char kDriver[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1)";

bool WaitUntil(const std::function<bool()>& done) {
    for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
         !done();) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        Sleep(10);
    }
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
        for (const auto& [name, text] : {std::pair{"Title", "Talvex Adapter"},
                                         std::pair{"ProductName", "TVR8Q"},
                                         std::pair{"ServiceName", "TVR8Q1"}})
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, kCard, name, REG_SZ, text,
                            static_cast<DWORD>(strlen(text) + 1));
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

    struct Case {
        const char* commandLine;
        const char* mark; // the one it holds: the window's for its life, diag's for its run
    };
    const Case cases[] = {
        {"TalvexCfg.exe", kInstanceMarkName},
        {"TalvexCtl.exe diag --cycles 50", kHardwareMarkName},
    };
    for (const Case& c : cases) {
        std::string commandLine = ProgramFolder() + c.commandLine;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                   CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info));
        const ScopedKernelHandle process(info.hProcess), thread(info.hThread);

        EXPECT_TRUE(WaitUntil([&] { return MarkThere(c.mark); })) << c.commandLine;
        EXPECT_EQ(TakeProgramMark(c.mark).state, MarkState::HeldElsewhere) << c.commandLine;

        TerminateProcess(process.get(), 1);
        ASSERT_EQ(WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0);
        const ProgramMark mine = TakeProgramMark(c.mark);
        EXPECT_EQ(mine.state, MarkState::Held) << c.commandLine;
        EXPECT_EQ(TakeProgramMark(c.mark).state, MarkState::HeldElsewhere) << c.commandLine;
    }
    EXPECT_FALSE(MarkThere(kInstanceMarkName) || MarkThere(kHardwareMarkName));

    // Where no file can be made the mark is unavailable, not held.
    EXPECT_EQ(TakeProgramMark(kHardwareMarkName, ProgramFolder() + "no such folder\\").state,
              MarkState::Unavailable);
}

} // namespace
} // namespace talvex::win32
