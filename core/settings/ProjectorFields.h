#pragma once
// The projector part of the schedule page: the addresses and the password of the "projector"
// section, shown in the page's fields, tried from a thread of its own, and written when the
// page is stored, only what changed.
#include <windows.h>

#include <string>

class CProjectorFields {
public:
    // Posted to the page with the projectors' answers (a std::wstring* in lParam).
    static constexpr UINT kTriedMessage = WM_APP + 0x120;

    // The section into the page's fields.
    void Load(HWND page);
    // False, with what is wrong, when the addresses do not read.
    bool Check(HWND page, std::wstring& problem) const;
    // The fields into the section, those that changed.
    void Store(HWND page);
    // One exchange with each projector, answered into the page; false when the addresses do not read.
    bool Try(HWND page, std::wstring& problem);
    // The page's side of kTriedMessage.
    void OnTried(HWND page, LPARAM answers);

private:
    std::wstring address_;
    std::wstring password_;
};
