#include "launcher/guardian/CrashHandOver.h"

#include <windows.h>

#include <cwchar>

#include "guardian/GuardNames.h"

namespace launcher {
namespace {

// Made at the start: a crashed process should not have to allocate.
HANDLE g_event = nullptr;
guardian::CrashNote* g_note = nullptr;
wchar_t g_guardMutex[128] = L"";
constexpr DWORD kWaitForGuardianMs = 30000;

LONG WINAPI HandOver(EXCEPTION_POINTERS* pointers)
{
    HANDLE guard = OpenMutexW(SYNCHRONIZE, FALSE, g_guardMutex);
    if (!guard) return EXCEPTION_CONTINUE_SEARCH;  // no guardian to take it
    CloseHandle(guard);
    g_note->threadId = GetCurrentThreadId();
    g_note->code = pointers && pointers->ExceptionRecord ? pointers->ExceptionRecord->ExceptionCode : 0;
    g_note->pointers = reinterpret_cast<ULONG_PTR>(pointers);
    SetEvent(g_event);
    // The guardian takes its dump and ends the process; should it not, the system's way.
    Sleep(kWaitForGuardianMs);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void HandCrashesToGuardian(const std::wstring& folder)
{
    if (g_event) return;
    DWORD pid = GetCurrentProcessId();
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(guardian::CrashNote),
                                        guardian::CrashNoteName(folder, pid).c_str());
    if (!mapping) return;
    g_note = static_cast<guardian::CrashNote*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (!g_note) return;
    std::wcsncpy(g_guardMutex, guardian::GuardMutexName(folder).c_str(), 127);
    // Made last: the guardian opens the event first and takes it as a sign the note is there.
    g_event = CreateEventW(nullptr, FALSE, FALSE, guardian::CrashEventName(folder, pid).c_str());
    if (g_event) SetUnhandledExceptionFilter(HandOver);
}

}  // namespace launcher
