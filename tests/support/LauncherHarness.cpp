#include "tests/support/LauncherHarness.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>

namespace e2e {
namespace {

using testing_support::ToAnsi;

struct BarTextRow {
    int id;
    const wchar_t* chinese;
    const wchar_t* english;
};

const BarTextRow kBarTexts[] = {
    {1, L"设置", L"Settings"},         {2, L"校准", L"Calibrate"},       {3, L"循环", L"Rotate"},
    {4, L"隐藏", L"Hide"},             {5, L"点数", L"Points"},          {7, L"退出", L"Exit"},
    {8, L"停止", L"Stop"},             {27, L"列表为空", L"No effects"}, {28, L"循环停止", L"Stopped"},
    {29, L"循环中", L"Running"},       {58, L"异形投影", L"Shaped"},
};

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t ch) { return std::towlower(ch); });
    return text;
}

void CreateFolders(const std::wstring& path)
{
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);
}

std::wstring FolderOf(const std::wstring& path)
{
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

std::wstring UniqueTitle()
{
    static int serial = 0;
    return L"PavoraBar-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) + L"-" +
           std::to_wstring(++serial);
}

std::wstring UseBarLanguage(StagedInstall& install)
{
    std::wstring title = UniqueTitle();
    WriteBarLanguage(install, title);
    return title;
}

void WriteBarLanguage(StagedInstall& install, const std::wstring& title)
{
    std::wstring text = L"; launcher test texts\n";
    for (const BarTextRow& row : kBarTexts)
        text += std::to_wstring(row.id) + L"`" + BarText(row.id, 1) + L"` `" + BarText(row.id, 2) + L"`\n";
    text += L"6`" + title + L"` `" + title + L"`\n";
    install.WriteLanguage(text);
}

std::wstring BarText(int id, int language)
{
    for (const BarTextRow& row : kBarTexts)
        if (row.id == id) return std::wstring(language == 1 ? row.chinese : row.english) + L"#" + std::to_wstring(id);
    return std::to_wstring(id);
}

void WritePlaylist(StagedInstall& install, const std::vector<PlaylistEntry>& entries)
{
    std::string xml = "<Effects>\n";
    for (const PlaylistEntry& entry : entries)
        xml += "  <Effect>\n    <file>" + ToAnsi(entry.path) + "</file>\n    <time>" + entry.time +
               "</time>\n  </Effect>\n";
    xml += "</Effects>\n";
    CreateDirectoryW(install.Path(L"data").c_str(), nullptr);
    WriteBytes(install.Path(L"data\\EffectPath.xml"), xml);
}

std::wstring AddEffectProgram(StagedInstall& install, const std::wstring& relative)
{
    std::wstring path = install.Path(relative);
    std::wstring folder = FolderOf(path);
    CreateFolders(folder);
    CopyFileW((BinFolder() + L"\\pavora_test_process.exe").c_str(), path.c_str(), FALSE);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((BinFolder() + L"\\lib*.dll").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            CopyFileW((BinFolder() + L"\\" + data.cFileName).c_str(), (folder + L"\\" + data.cFileName).c_str(),
                      FALSE);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return path;
}

std::wstring ImageOf(const std::wstring& path)
{
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::vector<DWORD> ProcessIds(const std::wstring& imageName)
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    std::wstring wanted = Lower(imageName);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (Lower(entry.szExeFile) == wanted) ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

RunningLauncher::RunningLauncher(StagedInstall& install, const std::wstring& title, int messageBoxAnswer)
{
    process_ = install.Launch(L"Pavora.exe", messageBoxAnswer);
    if (process_) bar_ = StagedInstall::WaitForWindow(title, 15000, false, process_);
    // The title is set halfway through the bar's initialisation.
    if (bar_) Sync();
}

RunningLauncher::~RunningLauncher()
{
    if (!Alive() || !bar_) return;
    PostMessageW(bar_, WM_CLOSE, 0, 0);
    WaitForExit(process_, 10000);
}

void RunningLauncher::Post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    PostMessageW(bar_, message, wParam, lParam);
}

void RunningLauncher::Command(WORD id, WORD code) const
{
    Post(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Control(id)));
}

HWND RunningLauncher::OpenSettingsSheet(DWORD timeoutMs) const
{
    Command(kSettingsButton);
    return WaitForOwnedDialog(bar_, timeoutMs);
}

HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
        Pump(50);
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", nullptr));)
            if (GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

void SelectSheetPage(HWND sheet, int page)
{
    HWND list = FindWindowExW(sheet, nullptr, L"ListBox", nullptr);
    // Sent, as the list itself does: the sheet's loop puts a posted selection back before it is seen.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(list, LB_SETCURSEL, static_cast<WPARAM>(page), 0, SMTO_ABORTIFHUNG, 5000, &answer);
    SendMessageTimeoutW(sheet, WM_COMMAND, MAKEWPARAM(0x3F00, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list),
                        SMTO_ABORTIFHUNG, 5000, &answer);
}

void RunningLauncher::Timer(UINT_PTR id) const
{
    Post(WM_TIMER, id, 0);
}

void RunningLauncher::HotKey(const wchar_t* atomName, UINT modifiers, UINT key) const
{
    ATOM atom = GlobalFindAtomW(atomName);
    Post(WM_HOTKEY, static_cast<WPARAM>(static_cast<int>(atom) - 0xC000), MAKELPARAM(modifiers, key));
}

bool RunningLauncher::Sync(DWORD timeoutMs) const
{
    // The item data of the point-count box's first entry serves as the marker: the bar
    // never uses it, and posted messages are handled in the order they were posted.
    static LPARAM marker = 0;
    ++marker;
    HWND box = Control(kPointCountBox);
    if (!PostMessageW(box, CB_SETITEMDATA, 0, marker)) return false;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD_PTR data = 0;
        if (SendMessageTimeoutW(box, CB_GETITEMDATA, 0, 0, SMTO_ABORTIFHUNG, 1000, &data) &&
            static_cast<LPARAM>(data) == marker)
            return true;
        if (GetTickCount() - start > timeoutMs || !Alive()) return false;
        Pump(20);
    }
}

bool RunningLauncher::WaitVisible(bool visible, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    while (Visible() != visible) {
        if (GetTickCount() - start > timeoutMs) return false;
        Pump(20);
    }
    return true;
}

}  // namespace e2e
