#include "launcher/PointCountBox.h"

#include <cmath>
#include <cwchar>
#include <initializer_list>

#include "framework/CriticalSection.h"

namespace launcher {

void FillPointCounts(HWND box)
{
    for (const wchar_t* count : {L"4", L"16", L"25", L"36"})
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(count));
    SendMessageW(box, CB_SETCURSEL, 0, 0);
}

int ChosenPointCount(HWND box)
{
    LRESULT selected = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return -1;
    wchar_t text[16] = L"";
    if (SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0) >= 16) return -1;
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text));
    return _wtoi(text);
}

int GridSide(int points)
{
    return points > 0 ? static_cast<int>(std::sqrt(static_cast<double>(points))) : 0;
}

}  // namespace launcher

namespace launcher {
namespace {

kit::CriticalSection& ThePointLock()
{
    static kit::CriticalSection lock;
    return lock;
}

}  // namespace

void PreparePointCallback()
{
    ThePointLock();
}

void OnPoint()
{
    kit::CriticalSection::Lock pass(ThePointLock());
}

}  // namespace launcher
