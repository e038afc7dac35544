#include "core/settings/SaveFailures.h"

#include <algorithm>

#include "core/frame/CameraList.h"
#include "core/frame/TrackerFiles.h"
#include "core/text/ConfigFile.h"
#include "framework/MessageBox.h"

namespace option {

namespace {

// The library's own file names are ASCII.
std::wstring Wide(const std::string& name)
{
    return std::wstring(name.begin(), name.end());
}

bool Holds(const std::vector<std::wstring>& files, const std::wstring& file)
{
    return std::find(files.begin(), files.end(), file) != files.end();
}

}  // namespace

bool SaveFailures::Note(bool written, const std::wstring& file)
{
    if (!written && !Holds(pending_, file) && !Holds(shown_, file)) pending_.push_back(file);
    return written;
}

void SaveFailures::Show(HWND owner)
{
    if (pending_.empty()) return;
    std::wstring text = L"设置保存失败: ";
    for (size_t i = 0; i < pending_.size(); ++i) text += (i ? L", " : L"") + pending_[i];
    shown_.insert(shown_.end(), pending_.begin(), pending_.end());
    pending_.clear();
    kit::ShowMessageBox(owner, text.c_str(), L"信息提示", MB_OK | MB_ICONWARNING);
}

void SaveFailures::Reset()
{
    pending_.clear();
    shown_.clear();
}

SaveFailures& SheetSaveFailures()
{
    static SaveFailures failures;
    return failures;
}

bool NoteTrackerWrite(bool written)
{
    return written || SheetSaveFailures().Note(false, Wide(tessaly::TrackerConfigPath()));
}

bool NoteCameraListWrite(bool written)
{
    return SheetSaveFailures().Note(written, Wide(tessaly::kCameraListFile));
}

bool NoteConfigWrite(bool written)
{
    return SheetSaveFailures().Note(written, tessaly::config::kPath);
}

}  // namespace option
