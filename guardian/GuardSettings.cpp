#include "guardian/GuardSettings.h"

#include "framework/BoundedNumber.h"

namespace guardian {

GuardSettings GuardSettings::Read(const wchar_t* file)
{
    GuardSettings s;
    s.on = kit::ReadBoundedNumber(file, L"guard", L"on", 1, 0, 1, s.notes) != 0;
    // Under 3 s a busy start-up looks like a hang; over an hour nobody waits that long.
    s.hangSeconds = kit::ReadBoundedNumber(file, L"guard", L"hangseconds", s.hangSeconds, 3, 3600, s.notes);
    return s;
}

}  // namespace guardian
