#pragma once
// Settings files that the sheet's pages could not write (read-only, disk full). Pages
// store as they go, several keys to one file and most of it while the sheet closes, so
// each file is reported once per sheet, in one box: at once where the sheet is still
// open, otherwise on the window the sheet stood on.
#include <windows.h>

#include <string>
#include <vector>

namespace option {

class SaveFailures {
public:
    // Remembers `file` when `written` is false; returns `written`.
    bool Note(bool written, const std::wstring& file);
    // "设置保存失败: " and each file not shown yet, caption "信息提示".
    void Show(HWND owner);
    // A new sheet reports its own files again.
    void Reset();

private:
    std::vector<std::wstring> pending_;
    std::vector<std::wstring> shown_;
};

// The one the option sheet and its pages share.
SaveFailures& SheetSaveFailures();

// Tracker, camera list and configuration writes of the pages, noted when they fail.
bool NoteTrackerWrite(bool written);
bool NoteCameraListWrite(bool written);
bool NoteConfigWrite(bool written);

}  // namespace option
