// In-memory services for the native tests: scripted answers, recorded calls.
#pragma once

#include "hardware/driver_agent.h"
#include "platform/services.h"

#include <array>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace talvex {

struct ShownMessage {
    std::string text;
    std::string title;
    MsgBoxStyle style;
};

class MemoryServices : public Services {
  public:
    bool PreviousInstance() const override { return previousInstance; }
    MsgBoxResult MsgBox(const std::string& text, const std::string& title,
                        MsgBoxStyle style) override {
        messages.push_back({text, title, style});
        if (answers.empty())
            return style == MsgBoxStyle::ExclamationYesNo ? MsgBoxResult::No : MsgBoxResult::Ok;
        MsgBoxResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowNoAdapterFound() override { ++noAdapterDialogs; }

    bool previousInstance = false;
    std::deque<MsgBoxResult> answers;
    std::vector<ShownMessage> messages;
    int noAdapterDialogs = 0;

    // --- Apply and restart ---

    bool ShowRebootDialog() override {
        calls.emplace_back("dlgReboot");
        return rebootAnswer;
    }
    void EnableShutdownPrivilege() override { calls.emplace_back("EnableShutdownPrivilege"); }
    std::int32_t ExitWindowsEx(unsigned flags, unsigned reserved) override {
        if (poweredOff) return 0;
        calls.push_back("ExitWindowsEx " + std::to_string(flags) + " " + std::to_string(reserved));
        return exitWindowsError;
    }

    bool rebootAnswer = false; // YES when true
    std::int32_t exitWindowsError = 0;
    std::vector<std::string> calls; // the dialog and the restart calls, in order

    // --- The General and Support pages ---

    // NetBIOS answers the adapter-status command with statusReturnCode, writing adapterAddress
    // into the buffer only when that code is 0.
    std::uint8_t Netbios(Ncb& ncb) override {
        netbiosCalls.push_back(ncb);
        if (ncb.command != kAdapterStatusCommand) return 0;
        if (statusReturnCode == 0 && ncb.buffer && ncb.length >= adapterAddress.size())
            std::memcpy(ncb.buffer, adapterAddress.data(), adapterAddress.size());
        return statusReturnCode;
    }
    std::uint8_t* HeapAlloc(std::size_t bytes) override {
        heapRequests.push_back(bytes);
        if (!heapHasRoom) return nullptr;
        ++heapBlocksHeld;
        return new std::uint8_t[bytes]();
    }
    void HeapFree(std::uint8_t* block) override {
        --heapBlocksHeld;
        delete[] block;
    }
    std::string LocalHostName() override { return hostName; }
    std::string LocalIP() override { return ipAddress; }

    struct ShellCall {
        std::uintptr_t owner;
        std::string operation, file, parameters, directory;
        int showCommand;
    };
    void ShellExecuteA(std::uintptr_t owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) override {
        shellCalls.push_back({owner, operation, file, parameters, directory, showCommand});
    }

    static constexpr std::uint8_t kAdapterStatusCommand = 0x33;
    std::array<std::uint8_t, 6> adapterAddress = {0x02, 0x1A, 0x3B, 0x4C, 0x5D, 0x6E};
    std::uint8_t statusReturnCode = 0;
    bool heapHasRoom = true;
    std::vector<Ncb> netbiosCalls;
    std::vector<std::size_t> heapRequests;
    int heapBlocksHeld = 0;
    std::string hostName = "talvex-pc", ipAddress = "192.168.10.20";
    std::vector<ShellCall> shellCalls;

    // --- Diagnostics ---

    // Every sleep, pump step and main-window repaint, in order ("Sleep 400", "DoEvents",
    // "Refresh").
    std::vector<std::string> diagLog;
    // Runs at each pump step, with the number of the step (from 1): what the user does then.
    std::function<void(int)> onDoEvents;
    int pumpSteps = 0;
    bool quitRequested = false;
    // The library LoadDriverAgent installs; none: the library is missing.
    const DriverAgentApi* driverAgent = nullptr;
    int libraryLoads = 0;
    int hardwareFaults = 0;

    // A sleep moves the fake clocks on.
    void Sleep(std::uint32_t milliseconds) override {
        diagLog.push_back("Sleep " + std::to_string(milliseconds));
        sinceStartMs += milliseconds;
        utcMs += milliseconds;
        if (onSleep) onSleep();
    }
    bool DoEvents() override {
        diagLog.emplace_back("DoEvents");
        ++pumpSteps;
        if (onDoEvents) onDoEvents(pumpSteps);
        return !quitRequested;
    }
    void RefreshMainWindow() override { diagLog.emplace_back("Refresh"); }
    bool LoadDriverAgent() override {
        ++libraryLoads;
        if (driverAgent && !DriverAgentLoaded()) SetDriverAgent(driverAgent);
        return DriverAgentLoaded();
    }
    // Another program's run holds the mark while heldElsewhere is set.
    bool TakeHardwareMark() override {
        if (hardwareMark.heldElsewhere || hardwareMark.held) return false;
        hardwareMark.held = true;
        ++hardwareMark.taken;
        return true;
    }
    void ReleaseHardwareMark() override { hardwareMark.held = false; }
    struct {
        bool heldElsewhere = false;
        bool held = false;
        int taken = 0;
    } hardwareMark;

    // A library fault is a C++ exception here: the test doubles throw one where a real library
    // would raise a structured exception.
    bool GuardHardwareCall(const std::function<void()>& call) override {
        try {
            call();
            return true;
        } catch (...) {
            ++hardwareFaults;
            return false;
        }
    }

    // --- A change that waits for confirmation ---

    std::int64_t UtcNow() override { return static_cast<std::int64_t>(utcMs / 1000); }
    std::uint64_t MillisecondsSinceStart() override { return sinceStartMs; }
    bool CreateTask(const std::string& name, const std::string& xml) override {
        if (!taskSchedulerWorks) return false;
        if (!poweredOff) tasks[name] = xml;
        return true;
    }
    bool DeleteTask(const std::string& name) override {
        return poweredOff || tasks.erase(name) == 1;
    }
    std::string ConsoleToolPath() override { return R"(C:\Program Files\Talvex\TalvexCtl.exe)"; }
    // Another process holds the mark while heldElsewhere is set.
    bool TakeChangeMark() override {
        if (changeMark.heldElsewhere || changeMark.held) return false;
        changeMark.held = true;
        ++changeMark.taken;
        return true;
    }
    void ReleaseChangeMark() override { changeMark.held = false; }
    struct {
        bool heldElsewhere = false;
        bool held = false;
        int taken = 0;
    } changeMark;

    // 2024-05-01 10:00 UTC; Windows started 90 s before.
    std::uint64_t utcMs = 1714557600000, sinceStartMs = 90000;
    std::function<void()> onSleep; // runs after each sleep: what happens meanwhile
    std::map<std::string, std::string> tasks; // registered, by name: their XML
    bool taskSchedulerWorks = true;
    // After a power loss the process seems to go on, but nothing reaches the Task Scheduler or
    // Windows any more.
    bool poweredOff = false;
    // A restart of Windows: the clock runs on, the time since start begins again.
    void Restart(std::uint64_t downMs = 60000, std::uint64_t bootedMs = 30000) {
        utcMs += downMs + bootedMs;
        sinceStartMs = bootedMs;
    }
};

} // namespace talvex
