// What the installer test needs done on the Windows side:
//   pavora_installed_launcher start SHORTCUT FOLDER TITLE [EFFECT]
//     starts the shortcut from FOLDER as the shell would (log-on starts in the system folder),
//     waits for the bar titled TITLE and, when given, for a process named EFFECT; then closes
//     the bar. Exit code 0 when both showed.
//   pavora_installed_launcher end IMAGE...
//     ends every process of these names (Wine itself starts the Startup folder's shortcuts
//     when its session starts, so a launcher may run that no test started).
//   pavora_installed_launcher register SHORTCUT
//     copies SHORTCUT into the user's Startup folder as Pavora.lnk, as the general page
//     registers the launcher; prints the folder.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "tests/support/StagedInstall.h"

using namespace e2e;

namespace {

int Register(const wchar_t* shortcut)
{
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return 1;
    std::wstring target = std::wstring(folder) + L"\\Pavora.lnk";
    if (!CopyFileW(shortcut, target.c_str(), FALSE)) return 1;
    std::printf("%ls\n", folder);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"start" && argc >= 5) return StartsFromShortcut(argv[2], argv[3], argv[4], argc > 5 ? argv[5] : nullptr) ? 0 : 1;
    if (command == L"register" && argc == 3) return Register(argv[2]);
    if (command == L"end") {
        for (int i = 2; i < argc; ++i) KillProcesses(argv[i]);
        return 0;
    }
    std::printf("usage: start SHORTCUT FOLDER TITLE [EFFECT] | end IMAGE... | register SHORTCUT\n");
    return 2;
}
