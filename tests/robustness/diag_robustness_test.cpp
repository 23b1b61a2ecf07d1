// Diagnostic runs with the hardware library failing at each of its calls in turn: the first call
// fails, then the second, and so on until a run makes no more calls than that. A call fails by
// returning an error, or by faulting inside the library (here a C++ exception, as the in-memory
// services guard it). Whatever failed, the page ends idle, a started run resumes the adapter, no
// call is made with a handle the library does not hold, and the next run works.
#include "hardware/registers.h"
#include "simulator/driver_agent_sim.h"
#include "tests/unit/diag_page_parts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace talvex {
namespace {

constexpr char kParameters[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters)";
const std::vector<std::uint32_t> kSuspendResume = {kSuspendFirst, kSuspendSecond, kResumeFirst,
                                                   kResumeSecond};

enum class Failure { ErrorReturn, Fault };

// The simulated library behind a switch: while armed, the failAt-th call (from 1) fails, or, when
// it stays broken, that call and every one after it.
struct FailingLibrary {
    Failure kind = Failure::ErrorReturn;
    bool staysBroken = false;
    int failAt = 0; // 0: no call fails
    int calls = 0;
    bool failed = false; // a failure was injected since arming
    std::vector<std::string> callNames;
    std::vector<std::uint32_t> controlWrites; // the commands written to the control register
    int staleHandleCalls = 0;                 // calls the library refused for their handle

    void Arm(Failure how, int at, bool broken) {
        kind = how;
        failAt = at;
        staysBroken = broken;
        calls = 0;
        failed = false;
        callNames.clear();
        controlWrites.clear();
    }
    // Counts the call; true when it is to fail by returning an error. A fault throws.
    bool Fails(const char* name) {
        ++calls;
        callNames.emplace_back(name);
        if (failAt == 0 || calls < failAt || (calls > failAt && !staysBroken)) return false;
        failed = true;
        if (kind == Failure::Fault) throw std::runtime_error(std::string("fault in ") + name);
        return true;
    }
    void Check(std::int32_t* status) {
        if (status && *status == sim::kStatusBadHandle) ++staleHandleCalls;
    }
} library;

const DriverAgentApi& Sim() {
    return sim::SimulatorApi();
}

constexpr std::int32_t kFailedStatus = sim::kStatusBadOffset;

std::int32_t WINAPI Open() {
    return library.Fails("DriverAgentOpen") ? 0 : Sim().DriverAgentOpen();
}
void WINAPI Close() {
    if (!library.Fails("DriverAgentClose")) Sim().DriverAgentClose();
}
std::uint32_t WINAPI OpenDevice(const char* service, std::uint32_t number, std::int32_t* status) {
    if (library.Fails("DaOpenDeviceA")) return *status = sim::kStatusNoDevice, 0;
    return Sim().DaOpenDeviceA(service, number, status);
}
std::uint32_t WINAPI OpenRange(std::uint32_t device, const char* name, std::uint32_t base,
                               std::int32_t* status) {
    if (library.Fails("DaOpenIoRangeA")) return *status = sim::kStatusNoIoRange, 0;
    const std::uint32_t range = Sim().DaOpenIoRangeA(device, name, base, status);
    library.Check(status);
    return range;
}
void WINAPI CloseRange(std::uint32_t range) {
    if (!library.Fails("DaCloseIoRange")) Sim().DaCloseIoRange(range);
}
void WINAPI CloseDevice(std::uint32_t device) {
    if (!library.Fails("DaCloseDevice")) Sim().DaCloseDevice(device);
}
// A failed read gives all ones, as from a bus with nothing on it.
std::uint8_t WINAPI ReadByte(std::uint32_t range, std::uint32_t offset, std::int32_t* status) {
    if (library.Fails("IoReadByte")) return *status = kFailedStatus, 0xFF;
    const std::uint8_t value = Sim().IoReadByte(range, offset, status);
    library.Check(status);
    return value;
}
std::uint16_t WINAPI ReadWord(std::uint32_t range, std::uint32_t offset, std::int32_t* status) {
    if (library.Fails("IoReadWord")) return *status = kFailedStatus, 0xFFFF;
    const std::uint16_t value = Sim().IoReadWord(range, offset, status);
    library.Check(status);
    return value;
}
void WINAPI WriteWord(std::uint32_t range, std::uint32_t offset, std::uint32_t value,
                      std::int32_t* status) {
    if (library.Fails("IoWriteWord")) return void(*status = kFailedStatus);
    Sim().IoWriteWord(range, offset, value, status);
    library.Check(status);
}
// Every command meant for the control register is noted, whether or not it got there.
void WINAPI WriteDWord(std::uint32_t range, std::uint32_t offset, std::uint32_t value,
                       std::int32_t* status) {
    if (offset == kAdapterControlRegister) library.controlWrites.push_back(value);
    if (library.Fails("IoWriteDWord")) return void(*status = kFailedStatus);
    Sim().IoWriteDWord(range, offset, value, status);
    library.Check(status);
}

constexpr DriverAgentApi kFailingApi = {Open,        Close,    OpenDevice, OpenRange, CloseRange,
                                        CloseDevice, ReadByte, ReadWord,   WriteWord, WriteDWord};

class DiagRobustness : public testing::Test, protected test::DiagPageParts {
  protected:
    DiagRobustness() {
        // The fake clock moves only when the code sleeps: the EEPROM must finish by polls.
        setenv(sim::kEepromBusyVariable, "1polls", 1);
        unsetenv(sim::kFaultsVariable);
        registry.Seed(kHKeyLocalMachine, kParameters, "BaseAddress", kRegDword,
                      {0x00, 0xE0, 0x00, 0x00});
        services.driverAgent = &kFailingApi;
        library.staleHandleCalls = 0;
    }
    ~DiagRobustness() override {
        library.Arm(Failure::ErrorReturn, 0, false);
        ResetAdapterAccess();
        SetDriverAgent(nullptr);
        unsetenv(sim::kEepromBusyVariable);
    }

    // Start Test, answered Yes; the messages it showed after the warning.
    std::vector<std::string> Start() {
        const std::size_t shown = services.messages.size();
        services.answers.push_back(MsgBoxResult::Yes);
        page.cbStartBasicDiagTest_Click();
        std::vector<std::string> texts;
        for (std::size_t i = shown + 1; i < services.messages.size(); ++i)
            texts.push_back(services.messages[i].text);
        return texts;
    }
    std::vector<std::string> Results() const {
        std::vector<std::string> results;
        for (int item = 1; item <= 3; ++item) {
            const MemoryListView& list = ui.lvwBasicDiag;
            results.push_back(list.SubItemCount(item) == 2 ? list.SubItem(item, 2) : "");
        }
        return results;
    }

    // One failing run for each call of a run, then a clean run after each. Returns how many
    // failing runs there were.
    int FailEachCallInTurn(Failure kind, bool staysBroken) {
        int runs = 0;
        for (int failAt = 1;; ++failAt) {
            // As at the program's first Start Test: nothing open.
            library.Arm(kind, 0, false);
            ResetAdapterAccess();
            library.Arm(kind, failAt, staysBroken);
            const std::vector<std::string> messages = Start();
            const std::vector<std::string> calls = library.callNames;
            const std::vector<std::uint32_t> commands = library.controlWrites;
            const bool failed = library.failed;
            const bool faulted = failed && kind == Failure::Fault;
            const std::string failedCall = failed ? calls[failAt - 1] : "";
            SCOPED_TRACE(std::string(kind == Failure::Fault ? "fault" : "error") +
                         (staysBroken ? " from" : " at") + " call " + std::to_string(failAt) +
                         " (" + failedCall + ")");
            EXPECT_FALSE(page.Running());
            EXPECT_TRUE(ui.cbStartBasicDiagTest.InFront());
            EXPECT_EQ(library.staleHandleCalls, 0);

            // A failed open says why and starts nothing; a started run ends with the resume.
            const bool opened =
                std::find(calls.begin(), calls.end(), "IoWriteDWord") != calls.end();
            if (!opened) {
                EXPECT_TRUE(failed);
                EXPECT_EQ(messages.size(), 1u);
                EXPECT_TRUE(commands.empty());
            } else {
                EXPECT_TRUE(messages.empty());
                // A fault ends the command it hit; a broken library faults at the resume too.
                const auto command =
                    std::count(calls.begin(),
                               calls.begin() + static_cast<std::ptrdiff_t>(
                                                   std::min<std::size_t>(failAt, calls.size())),
                               std::string("IoWriteDWord"));
                const bool inCommand = failedCall == "IoWriteDWord";
                std::vector<std::uint32_t> expected = kSuspendResume;
                if (faulted && staysBroken && inCommand && command == 1)
                    expected = {kSuspendFirst, kResumeFirst};
                else if ((faulted && staysBroken && !(inCommand && command == 4)) ||
                         (faulted && inCommand && command == 3))
                    expected = {kSuspendFirst, kSuspendSecond, kResumeFirst};
                else if (faulted && inCommand && command == 1)
                    expected = {kSuspendFirst, kResumeFirst, kResumeSecond};
                EXPECT_EQ(commands, expected);
            }
            ++runs;

            // The library works again: the next run passes everything, and after a fault it
            // first opens the hardware afresh.
            library.Arm(kind, 0, false);
            EXPECT_TRUE(Start().empty());
            EXPECT_EQ(Results(), (std::vector<std::string>{"Pass", "Pass", "Pass"}));
            EXPECT_EQ(library.controlWrites, kSuspendResume);
            EXPECT_EQ(library.staleHandleCalls, 0);
            if (faulted || !opened) {
                const auto& next = library.callNames;
                const auto open = std::find(next.begin(), next.end(), "DriverAgentOpen");
                EXPECT_TRUE(open < std::find(next.begin(), next.end(), "IoWriteDWord"))
                    << "the next run did not open the hardware afresh";
            }
            if (!failed) break;
            if (HasFailure()) break; // one failing call is enough to read
        }
        return runs;
    }
};

TEST_F(DiagRobustness, EachCallReturningAnErrorInTurn) {
    const int runs = FailEachCallInTurn(Failure::ErrorReturn, false);
    EXPECT_GT(runs, 600);
    std::printf("%d runs\n", runs);
}

TEST_F(DiagRobustness, EachCallFaultingInTurn) {
    const int runs = FailEachCallInTurn(Failure::Fault, false);
    EXPECT_GT(runs, 600);
    std::printf("%d runs\n", runs);
}

// The library breaks at one call and faults at every call after it, the closes included, until
// it is repaired before the next run.
TEST_F(DiagRobustness, TheLibraryBreakingAtEachCallInTurn) {
    const int runs = FailEachCallInTurn(Failure::Fault, true);
    EXPECT_GT(runs, 600);
    std::printf("%d runs\n", runs);
}

} // namespace
} // namespace talvex
