// TalvexCtl.exe: the console tool. Results on standard output, messages on standard error, the
// exit status as documented in its help.
#include "console/ctl.h"
#include "console/win32/console_services.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide_text.h"

#include <vector>

using namespace talvex;

namespace {

using win32::Utf8Text;
using win32::WideText;

// Where the ANSI code page is UTF-8 itself (a system set to use UTF-8 worldwide), the texts pass
// as they are.
std::string AnsiToUtf8(std::string_view ansi) {
    return GetACP() == CP_UTF8 ? std::string(ansi) : Utf8Text(WideText(ansi, CP_ACP));
}

// No best fit: an "é" the code page lacks must not be written as an "e".
std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
    if (GetACP() == CP_UTF8) return std::string(utf8);
    const std::wstring wide = WideText(utf8);
    const int size = static_cast<int>(wide.size());
    BOOL lacking = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                           0, nullptr, &lacking);
    if (lacking) return std::nullopt;
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, ansi.data(), length,
                        nullptr, nullptr);
    return ansi;
}

// A standard handle, with Windows' line ends. A console window gets the characters through
// WriteConsoleW, whatever its code page; a file or pipe gets the UTF-8 bytes.
class HandleOutput : public ctl::Output {
  public:
    explicit HandleOutput(DWORD which) : handle_(GetStdHandle(which)) {
        DWORD mode = 0;
        console_ = handle_ && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
    }
    void Write(std::string_view text) override {
        std::string lines;
        for (char c : text) {
            if (c == '\n') lines += '\r';
            lines += c;
        }
        DWORD written = 0;
        if (console_) {
            const std::wstring wide = WideText(lines);
            WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else if (handle_ && handle_ != INVALID_HANDLE_VALUE) {
            WriteFile(handle_, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
        }
    }

  private:
    HANDLE handle_;
    bool console_ = false;
};

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) {
    win32::ScopedKernelHandle file(CreateFileW(WideText(path).c_str(), GENERIC_READ,
                                               FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
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

// The wide arguments (linked with -municode): whatever the user typed, in UTF-8.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8Text(argv[i]));
    HandleOutput out(STD_OUTPUT_HANDLE), err(STD_ERROR_HANDLE);
    Win32Registry registry;
    win32::ConsoleServices services(err);
    ctl::CtlEnvironment env{registry,      services,   out,       err, win32::ProcessElevated,
                            ReadWholeFile, AnsiToUtf8, Utf8ToAnsi};
    return ctl::RunTalvexCtl(args, env);
}
