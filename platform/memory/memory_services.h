// In-memory services for the native tests: scripted answers, recorded calls.
#pragma once

#include "platform/services.h"

#include <deque>
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
        calls.push_back("dlgReboot");
        return rebootAnswer;
    }
    void EnableShutdownPrivilege() override { calls.push_back("EnableShutdownPrivilege"); }
    std::int32_t ExitWindowsEx(unsigned flags, unsigned reserved) override {
        calls.push_back("ExitWindowsEx " + std::to_string(flags) + " " + std::to_string(reserved));
        return exitWindowsError;
    }

    bool rebootAnswer = false; // YES when true
    std::int32_t exitWindowsError = 0;
    std::vector<std::string> calls; // the dialog and the restart calls, in order

    // --- The General and Support pages ---

    // --- Diagnostics ---
};

} // namespace talvex
