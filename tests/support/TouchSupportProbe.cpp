// Answers, through its exit code, what the touch check makes of the Windows version
// that this program sees: (major * 10 + minor) * 2, plus 1 when touch is supported.
// The tests give it a version of its own in Wine's per-program settings.
#include <windows.h>

#include "core/touch/TouchSupport.h"

int main()
{
    OSVERSIONINFOEXW info;
    if (!kit::RealSystemVersion().Version(info)) return 255;
    int version = static_cast<int>(info.dwMajorVersion * 10 + info.dwMinorVersion);
    return version * 2 + (tessaly::SupportsTouch() ? 1 : 0);
}
