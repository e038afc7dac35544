#include "launcher/supervision/SuperviseSettings.h"

#include "framework/BoundedNumber.h"

namespace supervision {

SuperviseSettings SuperviseSettings::Read(const wchar_t* file)
{
    SuperviseSettings s;
    auto number = [&](const wchar_t* key, DWORD fallback, DWORD lowest, DWORD highest) {
        return kit::ReadBoundedNumber(file, L"supervise", key, fallback, lowest, highest, s.notes);
    };
    s.on = number(L"on", 1, 0, 1) != 0;
    // A second is the least that tells a slow frame from a hang; a day is beyond any use.
    s.hangSeconds = number(L"hangseconds", s.hangSeconds, 1, 86400);
    s.graceSeconds = number(L"graceseconds", s.graceSeconds, 0, 86400);
    s.retries = number(L"retries", s.retries, 1, 1000);
    s.retryMinutes = number(L"retryminutes", s.retryMinutes, 1, 10080);
    s.quarantineMinutes = number(L"quarantineminutes", s.quarantineMinutes, 0, 10080);
    s.restartOnExit = number(L"restartonexit", 0, 0, 1) != 0;
    return s;
}

}  // namespace supervision
