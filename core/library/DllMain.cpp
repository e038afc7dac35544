// Load and unload of the library. Only in Tessaly.dll, not in the unit tests' copy of its code.
#include <windows.h>

#include <cwchar>

#include "core/library/BrimwellApp.h"
#include "core/frame/LibraryState.h"
#include "core/text/ConfigFile.h"
#include "core/text/LanguageTable.h"
#include "core/touch/SocketComm.h"
#include "core/touch/TouchManager.h"

namespace {

// Every file of the library and the launcher is named relative to the installation, the
// library's own folder: a launcher started elsewhere (a scheduled task without a start
// folder, an old Run entry, a remote tool) must still find its settings and playlist.
void MakeInstallationCurrent(HINSTANCE instance)
{
    wchar_t path[MAX_PATH + 1] = L"";
    DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash) return;
    slash[slash == path + 2 && path[1] == L':' ? 1 : 0] = L'\0';  // a drive's root keeps its backslash
    SetCurrentDirectoryW(path);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        DisableThreadLibraryCalls(instance);
        MakeInstallationCurrent(instance);
        // The device type comes first: the touch state reads the tracker file of that type.
        deviceType = tessaly::config::ReadInt(tessaly::config::kDeviceType);
        tessaly::Library().instance = instance;
        CBrimwellApp& app = TheApp();
        app.SetInstance(instance);
        TouchManager::CreateLibraryInstance();
        LibrarySocketServer();
        tessaly::LanguageTable::Instance();
        return app.InitInstance();
    }
    case DLL_PROCESS_DETACH:
        TheApp().processEnding = reserved != nullptr;
        TheApp().ExitInstance();
        return TRUE;
    default:
        return TRUE;
    }
}
