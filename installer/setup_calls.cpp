// What the NSIS setup program (installer/talvex.nsi) calls through its System plugin: the
// installers share one implementation of the checks on the program's folder.
#include "installer/program_folder.h"

#include <string>
#include <vector>

// 0 when no console tool runs from the folder (any more), 1 when one still ran after the seconds.
extern "C" __declspec(dllexport) int __stdcall TalvexWaitForConsoleTool(const wchar_t* folder,
                                                                       int seconds) {
    const std::vector<std::wstring> folders{folder ? folder : L""};
    const auto ms = static_cast<unsigned long>(seconds > 0 ? seconds : 0) * 1000UL;
    return talvex::installer::WaitForConsoleTool(folders, ms) ? 0 : 1;
}

// 0 created, 1 its permissions set, 2 left as it was (a folder of something else), 3 failed.
extern "C" __declspec(dllexport) int __stdcall TalvexPrepareFolder(const wchar_t* folder) {
    return static_cast<int>(talvex::installer::PrepareProgramFolder(folder ? folder : L""));
}
