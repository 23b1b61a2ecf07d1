// The console tool's services as given, keeping the text of the last message shown through them:
// the shared procedures (opening the hardware, the restart) tell the user in a message box, which
// the console shows on standard error, and a failure's JSON document needs the same words.
#pragma once

#include "platform/services.h"

#include <string>

namespace talvex::ctl {

class MessageCatcher final : public Services {
  public:
    explicit MessageCatcher(Services& inner) : inner_(inner) {}

    // The last message's text; empty when none was shown.
    const std::string& Last() const { return last_; }

    MsgBoxResult MsgBox(const std::string& text, const std::string& title,
                        MsgBoxStyle style) override {
        last_ = text;
        return inner_.MsgBox(text, title, style);
    }

    bool PreviousInstance() const override { return inner_.PreviousInstance(); }
    void ShowNoAdapterFound() override { inner_.ShowNoAdapterFound(); }
    bool ShowRebootDialog() override { return inner_.ShowRebootDialog(); }
    void EnableShutdownPrivilege() override { inner_.EnableShutdownPrivilege(); }
    std::int32_t ExitWindowsEx(unsigned flags, unsigned reserved) override {
        return inner_.ExitWindowsEx(flags, reserved);
    }
    std::uint8_t Netbios(Ncb& ncb) override { return inner_.Netbios(ncb); }
    std::uint8_t* HeapAlloc(std::size_t bytes) override { return inner_.HeapAlloc(bytes); }
    void HeapFree(std::uint8_t* block) override { inner_.HeapFree(block); }
    std::string LocalHostName() override { return inner_.LocalHostName(); }
    std::string LocalIP() override { return inner_.LocalIP(); }
    void ShellExecuteA(std::uintptr_t owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) override {
        inner_.ShellExecuteA(owner, operation, file, parameters, directory, showCommand);
    }
    void Sleep(std::uint32_t milliseconds) override { inner_.Sleep(milliseconds); }
    bool DoEvents() override { return inner_.DoEvents(); }
    void RefreshMainWindow() override { inner_.RefreshMainWindow(); }
    bool LoadDriverAgent() override { return inner_.LoadDriverAgent(); }
    bool GuardHardwareCall(const std::function<void()>& call) override {
        return inner_.GuardHardwareCall(call);
    }
    bool TakeHardwareMark() override { return inner_.TakeHardwareMark(); }
    void ReleaseHardwareMark() override { inner_.ReleaseHardwareMark(); }
    std::int64_t UtcNow() override { return inner_.UtcNow(); }
    std::uint64_t MillisecondsSinceStart() override { return inner_.MillisecondsSinceStart(); }
    bool CreateTask(const std::string& name, const std::string& xml) override {
        return inner_.CreateTask(name, xml);
    }
    bool DeleteTask(const std::string& name) override { return inner_.DeleteTask(name); }
    std::string ConsoleToolPath() override { return inner_.ConsoleToolPath(); }
    bool TakeChangeMark() override { return inner_.TakeChangeMark(); }
    void ReleaseChangeMark() override { inner_.ReleaseChangeMark(); }

  private:
    Services& inner_;
    std::string last_;
};

} // namespace talvex::ctl
