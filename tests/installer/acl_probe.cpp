// Reads a folder's permissions back and compares them with those of a folder made beside it with
// the permissions the installers promise (Administrators and the system full control, users read
// and execute, nothing inherited from the parent) and of one made there without any. Exit 0 when
// the folder's equal the promised ones and those differ from the plain one: on Windows the full
// access control lists are compared; Wine 8 keeps no list, only the Unix mode it maps one to, so
// there the comparison is of what Wine keeps, and the check that the plain folder differs makes
// sure that this still tells the two apart.
//   acl_probe FOLDER
#include <windows.h>
// After <windows.h>:
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kPromised[] = L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

std::wstring Dacl(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return L"(unreadable)";
    LPWSTR text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    std::wstring result = text ? text : L"(none)";
    LocalFree(text);
    LocalFree(descriptor);
    return result;
}

// The permissions of a folder made at path with the descriptor (none: inherited), read back.
std::wstring MadeWith(const std::wstring& path, const wchar_t* sddl) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (sddl)
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                             &attributes.lpSecurityDescriptor, nullptr);
    const bool made = CreateDirectoryW(path.c_str(), &attributes) != 0;
    LocalFree(attributes.lpSecurityDescriptor);
    if (!made) return L"(not made)";
    std::wstring dacl = Dacl(path);
    RemoveDirectoryW(path.c_str());
    return dacl;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    std::wstring folder = argv[1];
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    const std::wstring actual = Dacl(folder);
    const std::wstring promised = MadeWith(folder + L".promised", kPromised);
    const std::wstring plain = MadeWith(folder + L".plain", nullptr);
    std::wprintf(L"folder:   %ls\npromised: %ls\nplain:    %ls\n", actual.c_str(), promised.c_str(),
                 plain.c_str());
    return actual == promised && promised != plain ? 0 : 1;
}
