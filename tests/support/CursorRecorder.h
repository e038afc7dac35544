#pragma once
// The system's arrow cursor seen through the library's setter: what it was handed, and
// whether it takes it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/touch/Cursor.h"

namespace testing_support {

inline POINT HotSpotOf(HCURSOR cursor)
{
    ICONINFO info{};
    if (!GetIconInfo(cursor, &info)) return {-1, -1};
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
}

// Stands in for the system's setter while it lives, with the dot off before and after.
// The setter is a plain function, so what it saw is kept once for the whole program.
class SystemCursorRecorder {
public:
    SystemCursorRecorder()
    {
        Changes().clear();
        Accept() = TRUE;
        dotCursorActive = false;
        previous_ = SetSystemCursorSetter(Record);
    }
    ~SystemCursorRecorder()
    {
        SetSystemCursorSetter(previous_);
        dotCursorActive = false;
    }
    SystemCursorRecorder(const SystemCursorRecorder&) = delete;
    SystemCursorRecorder& operator=(const SystemCursorRecorder&) = delete;

    // The hot spots of the cursors handed over, in order: (0, 0) the dot, (2, 4) the arrow.
    static std::vector<POINT>& Changes()
    {
        static std::vector<POINT> changes;
        return changes;
    }
    // Whether the system takes the cursors handed to it from now on.
    static BOOL& Accept()
    {
        static BOOL accept = TRUE;
        return accept;
    }
    // The changes as 'D' for the dot and 'A' for anything else.
    static std::string Kinds()
    {
        std::string kinds;
        for (const POINT& spot : Changes()) kinds += spot.x == 0 && spot.y == 0 ? 'D' : 'A';
        return kinds;
    }

private:
    static BOOL WINAPI Record(HCURSOR cursor, DWORD id)
    {
        EXPECT_EQ(id, 32512u);
        Changes().push_back(HotSpotOf(cursor));
        // Like the system, keep (here: destroy) an accepted cursor; a refused one is the caller's.
        if (Accept()) DestroyCursor(cursor);
        return Accept();
    }

    SystemCursorSetter previous_ = nullptr;
};

}  // namespace testing_support
