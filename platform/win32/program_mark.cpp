#include "platform/win32/program_mark.h"

namespace talvex::win32 {
namespace {

// FileDispositionInfoEx; mingw-w64 declares it only for a _WIN32_WINNT no build can have.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosixSemantics = 0x2;

// Marks the held file for deletion at once rather than at its close. No sharing does not stop an
// open that asks only for a file's attributes, and such a handle would keep a file deleted at
// close, and its name, alive after the holder's end; a file pending deletion can't be opened at
// all. Where the system does POSIX deletes (NTFS on Windows 10 1709 and later) the name goes with
// the holder's handle even if such a handle was opened in the instant before this call. The
// open's FILE_FLAG_DELETE_ON_CLOSE stays the fallback for both.
void DeleteWhenClosed(HANDLE file) {
    FILE_DISPOSITION_INFO_EX posix{kDispositionDelete | kDispositionPosixSemantics};
    if (SetFileInformationByHandle(file, kFileDispositionInfoEx, &posix, sizeof posix)) return;
    FILE_DISPOSITION_INFO plain{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &plain, sizeof plain);
}

// Whether a name that could not be opened is there: a file pending deletion can't even be asked
// for its attributes (access denied), which means it is there too.
bool NameTaken(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

} // namespace

// Opened with no sharing, so a second opener fails with a sharing violation, or with access
// denied once the file is pending deletion. Deleted when the holder's handle closes, so the file
// exists only while held: no one can open it before the holder, and only who may create files in
// the folder (administrators, under Program Files) can take it first.
ProgramMark TakeProgramMark(const std::string& name, const std::string& folder) {
    const std::string path = folder + name;
    ProgramMark mark;
    mark.file.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE,
                                nullptr));
    if (mark.file) {
        DeleteWhenClosed(mark.file.get());
        mark.state = MarkState::Held;
        return mark;
    }
    const DWORD error = GetLastError();
    const bool held = error == ERROR_SHARING_VIOLATION ||
                      (error == ERROR_ACCESS_DENIED && NameTaken(path));
    mark.state = held ? MarkState::HeldElsewhere : MarkState::Unavailable;
    return mark;
}

} // namespace talvex::win32
