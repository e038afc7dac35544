// PavoraGuard.exe: brings the launcher of its installation back after a crash, a hang or an
// end that was not the operator's. It has nothing of the library: it must keep running
// whatever the library or a driver does to the launcher.
#include <windows.h>

#include "framework/Handles.h"
#include "guardian/GuardLog.h"
#include "guardian/GuardNames.h"
#include "guardian/GuardSettings.h"
#include "guardian/LauncherGuard.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    // No box of its own may wait for someone on site.
    SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
    const std::wstring folder = guardian::ProgramFolder();
    SetCurrentDirectoryW(folder.c_str());

    kit::UniqueHandle mutex(CreateMutexW(nullptr, TRUE, guardian::GuardMutexName(folder).c_str()));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return 0;  // one guardian per installation

    guardian::GuardSettings settings = guardian::GuardSettings::Read((folder + L"\\Bin\\config.ini").c_str());
    guardian::GuardLog log(folder + L"\\log");
    for (const std::wstring& note : settings.notes) log.Write(note);
    if (!settings.on) {
        log.Write(L"[guard] on=0: the guardian does not run");
        return 0;
    }
    kit::UniqueHandle exitEvent(CreateEventW(nullptr, TRUE, FALSE, guardian::ExitEventName(folder).c_str()));
    if (!exitEvent) {
        log.Write(L"guardian: no exit event (error " + std::to_wstring(GetLastError()) + L"); it does not run");
        return 1;
    }
    // The launcher makes it first; one already set is an exit under way, and this guardian
    // ends at once.
    guardian::LauncherGuard(folder, settings.hangSeconds).Run(exitEvent.Get());
    return 0;
}
