// TalvexCtl.exe: the console tool. Results on standard output, messages on standard error, the
// exit status as documented in its help.
#include "console/ctl.h"
#include "console/win32/console_services.h"
#include "platform/win32/registry_win32.h"

#include <vector>

using namespace talvex;

namespace {

// A standard handle, with Windows' line ends.
class HandleOutput : public ctl::Output {
  public:
    explicit HandleOutput(DWORD which) : handle_(GetStdHandle(which)) {}
    void Write(std::string_view text) override {
        std::string lines;
        for (char c : text) {
            if (c == '\n') lines += '\r';
            lines += c;
        }
        DWORD written = 0;
        if (handle_ && handle_ != INVALID_HANDLE_VALUE)
            WriteFile(handle_, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
    }

  private:
    HANDLE handle_;
};

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) {
    win32::ScopedKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > limit)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr) ||
        read != text.size())
        return std::nullopt;
    return text;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    HandleOutput out(STD_OUTPUT_HANDLE), err(STD_ERROR_HANDLE);
    Win32Registry registry;
    win32::ConsoleServices services(err);
    ctl::CtlEnvironment env{registry, services, out, err, win32::ProcessElevated, ReadWholeFile};
    return ctl::RunTalvexCtl(args, env);
}
