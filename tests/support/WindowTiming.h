#pragma once
// Start-up times as the user sees them: until a window shows.
#include <windows.h>

#include <string>

namespace testing_support {

inline double NowMs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from `startMs` until a visible top-level window titled `title` exists,
// looked for every millisecond; -1 when none showed within `timeoutMs`. `window` gets the
// last window of that title seen, shown or not.
inline double MsUntilShown(const std::wstring& title, double startMs, double timeoutMs, HWND& window)
{
    window = nullptr;
    while (NowMs() - startMs < timeoutMs) {
        window = FindWindowW(nullptr, title.c_str());
        if (window && IsWindowVisible(window)) return NowMs() - startMs;
        Sleep(1);
    }
    return -1;
}

}  // namespace testing_support
