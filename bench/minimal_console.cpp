// The least a console program does: one line on standard output. The console benchmark's floor
// for a Windows program's start and end under Wine, built as TalvexCtl.exe is.
#include <cstdio>

int main() {
    std::puts("minimal console");
    return 0;
}
