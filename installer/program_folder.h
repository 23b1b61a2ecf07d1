// What both installers need to know and do about the program's folder before they change it: whether
// the console tool runs from it, and giving it the permissions the program relies on.
#pragma once

#include <string>
#include <vector>

namespace talvex::installer {

// The folder without a trailing backslash, in its long form where it exists.
std::wstring NormalFolder(std::wstring folder);

// True when no TalvexCtl.exe started from one of the folders runs any more, within timeoutMs.
bool WaitForConsoleTool(const std::vector<std::wstring>& folders, unsigned long timeoutMs);

enum class FolderResult { Created, Locked, LeftAsItWas, Failed };

// Creates the folder with the program's permissions, or gives them to a folder that already holds
// the program; a folder of something else is left as it is.
FolderResult PrepareProgramFolder(const std::wstring& folder);

} // namespace talvex::installer
