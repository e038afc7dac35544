#include "launcher/MediaShow.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "core/library/TessalyApi.h"
#include "framework/MessageBox.h"

namespace launcher {
namespace {

constexpr wchar_t kTouchPackDownload[] =
    L"https://www.microsoft.com/en-us/download/search?q=Windows%207%20Touch%20Pack";

std::wstring CurrentDirectory()
{
    wchar_t directory[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
    return directory;
}

// The program-files folder: the common program files folder without its last part.
std::wstring ProgramFilesFolder()
{
    wchar_t common[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, common, CSIDL_PROGRAM_FILES_COMMON, FALSE);
    std::wstring folder = common;
    size_t slash = folder.rfind(L'\\');
    if (slash != std::wstring::npos) folder.erase(slash);
    return folder;
}

}  // namespace

void RunMediaShow(HWND bar, bool penMode)
{
    if (!IsWindows7TouchMode() || !penMode) {
        kit::ShowMessageBox(bar, L"此功能必须设置为win7多点模式\n必须是激光器或者签到笔", L"友情提示", MB_OK);
        return;
    }

    std::wstring current = CurrentDirectory();
    std::wstring media = current + L"\\MediaContent";
    CreateDirectoryW(media.c_str(), nullptr);  // an existing folder is fine

    std::wstring touchPack = ProgramFilesFolder() + L"\\Microsoft Touch Pack for Windows 7";
    std::wstring collage = touchPack + L"\\Collage.exe";
    if (PathFileExistsW(collage.c_str())) {
        ShowWindow(bar, SW_HIDE);
        ShowQuickToolBar(SW_HIDE);
        std::wstring parameter = L"\"" + media + L"\"";  // the folder may hold blanks
        ShellExecuteW(nullptr, L"open", collage.c_str(), parameter.c_str(), touchPack.c_str(), SW_SHOW);
    } else {
        kit::ShowMessageBox(bar,
                            L"未安装win7触控包,下载解压后运行\nWindows_7_Touch_Pack\\Install After\\TouchPackInstall.cmd",
                            L"友情提示", MB_OK);
        ShellExecuteW(nullptr, L"open", kTouchPackDownload, nullptr, nullptr, SW_SHOWNORMAL);
    }
    SetCurrentDirectoryW(current.c_str());
}

}  // namespace launcher

