// Load and unload of the library. Only in Tessaly.dll, not in the unit tests' copy of its code.
#include <windows.h>

#include "core/library/BrimwellApp.h"
#include "core/frame/LibraryState.h"
#include "core/text/ConfigFile.h"
#include "core/text/LanguageTable.h"
#include "core/touch/SocketComm.h"
#include "core/touch/TouchManager.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        DisableThreadLibraryCalls(instance);
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
