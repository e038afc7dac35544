#pragma once
// Effect programs: separate processes that the library starts with the shell, finds by
// their window and stops by program name.
#include <windows.h>

#include <string>

namespace tessaly {

// Opens the effect's file with the shell from the effect's own folder, so that it finds
// its files by relative paths; a command file runs in the command interpreter. The
// current directory is the same afterwards. False when the file is missing or the shell
// could not start it.
bool StartEffect(const wchar_t* path);

// Terminates every process of the effect's program name; for a command file every
// effect shell "Nimbrel.exe". Non-zero exactly when it ran and has been terminated.
int StopEffect(const wchar_t* path);

// The running effect's window: titled "Solmira", else of class "ShockwaveFlash"; or null.
HWND FindEffectWindow();

// A native effect program is named "effect.exe", in exactly that letter case.
bool IsNativeEffect(const std::wstring& path);

}  // namespace tessaly
