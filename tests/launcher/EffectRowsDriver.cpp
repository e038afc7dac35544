// The effect page's rows worked with the real mouse and keyboard: the page chosen in the
// list, an in-place time typed, three rows picked with Ctrl+click and deleted, the sheet
// cancelled. This program finds where to click; the script does the clicking:
//   pavora_effect_rows_driver.exe REQUEST-FILE [SCREENSHOT-FOLDER]
// Writes xdotool command lines to REQUEST-FILE and waits until the script has run them and
// removed the file. Exit code 0 when the playlist saved by the cancel holds the rows left.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/WindowImage.h"
#include "tests/support/LauncherHarness.h"

using namespace e2e;

namespace {

constexpr int kEffectList = 5031;
constexpr int kDeleteSelected = 5071;
constexpr int kTimeEditor = 5073;

int Fail(const char* what)
{
    printf("effect rows: %s\n", what);
    return 1;
}

// A buffer in the launcher, for the list messages whose answers come through a pointer.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size)
        : process_(process), memory_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))
    {
    }
    ~RemoteBuffer()
    {
        if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* Address() const { return memory_; }
    bool Write(const void* data, size_t size, size_t offset = 0) const
    {
        return memory_ && WriteProcessMemory(process_, static_cast<char*>(memory_) + offset, data, size, nullptr);
    }
    bool Read(void* data, size_t size, size_t offset = 0) const
    {
        return memory_ && ReadProcessMemory(process_, static_cast<char*>(memory_) + offset, data, size, nullptr);
    }

private:
    HANDLE process_;
    void* memory_;
};

// A list view's `message` answered with a RECT in the launcher, mapped to the screen.
RECT RemoteRect(HANDLE process, HWND window, UINT message, WPARAM wParam, RECT in)
{
    RemoteBuffer buffer(process, sizeof(RECT));
    RECT rect{};
    if (buffer.Write(&in, sizeof(in))) {
        SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(buffer.Address()));
        buffer.Read(&rect, sizeof(rect));
    }
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring CellText(HANDLE process, HWND list, int row, int column)
{
    RemoteBuffer buffer(process, sizeof(LVITEMW) + 64 * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = 64;
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(buffer.Address()) + sizeof(LVITEMW));
    wchar_t text[64] = L"";
    if (buffer.Write(&item, sizeof(item))) {
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.Address()));
        buffer.Read(text, sizeof(text) - sizeof(wchar_t), sizeof(LVITEMW));
    }
    return text;
}

std::string At(const RECT& rect, int dx = -1)
{
    int x = dx < 0 ? (rect.left + rect.right) / 2 : rect.left + dx;
    return "mousemove " + std::to_string(x) + " " + std::to_string((rect.top + rect.bottom) / 2);
}

// Hands the lines to the script and returns once it has run them.
bool Request(const std::wstring& file, const std::string& lines)
{
    WriteBytes(file + L".part", lines);
    MoveFileExW((file + L".part").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
    for (int i = 0; i < 300; ++i) {
        if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
            Pump(300);
            return true;
        }
        Pump(100);
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) return 2;
    std::wstring request = argv[1];
    StagedInstall install(L"EffectRowsDriver");
    install.WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=1\r\ncheck360 =0\r\n[version]\r\nlanguage=1\r\n");
    // The playlist keeps only files that exist; none of them is started here.
    const wchar_t* files[] = {L"effect.exe", L"fxB.exe", L"fxC.exe", L"fxD.exe", L"fxE.exe"};
    std::vector<PlaylistEntry> entries;
    for (const wchar_t* file : files) {
        WriteBytes(install.Path(file), "");
        entries.push_back({install.Path(file), std::to_string(entries.size() + 5)});
    }
    WritePlaylist(install, entries);
    std::wstring title = install.UseUniqueTitle();
    RunningLauncher launcher(install, title);
    if (!launcher.Bar()) return Fail("no bar");
    HANDLE process = launcher.Process();
    HWND sheet = launcher.OpenSettingsSheet();
    if (!sheet) return Fail("no sheet");
    SetForegroundWindow(sheet);
    Pump(500);

    HWND navigation = FindWindowExW(sheet, nullptr, L"ListBox", nullptr);
    // The system carries a list box's rectangle across processes itself.
    RECT entry{};
    SendMessageW(navigation, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&entry));
    MapWindowPoints(navigation, nullptr, reinterpret_cast<POINT*>(&entry), 2);
    if (!Request(request, At(entry) + " click 1\n")) return Fail("the script did not click");
    launcher.Sync();
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    HWND rows = page ? GetDlgItem(page, kEffectList) : nullptr;
    if (!rows) return Fail("the list entry did not show the effect page");
    if (SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0) != 5) return Fail("the staged playlist is not shown");

    // The native effect's time typed in place: more than its 20 minutes.
    RECT time = RemoteRect(process, rows, LVM_GETSUBITEMRECT, 0, RECT{LVIR_LABEL, 1, 0, 0});
    RECT name[5];
    for (int row = 0; row < 5; ++row)
        name[row] = RemoteRect(process, rows, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), RECT{LVIR_LABEL, 0, 0, 0});
    if (!Request(request, At(time) + " click --repeat 2 --delay 100 1\nsleep 0.5\ntype --delay 60 25\n"))
        return Fail("the script did not type");
    launcher.Sync();
    // The editor lies over the cell, above the list, with what was typed; the picture is kept.
    HWND editor = GetDlgItem(page, kTimeEditor);
    RECT editorRect{};
    GetWindowRect(editor, &editorRect);
    POINT middle{(editorRect.left + editorRect.right) / 2, (editorRect.top + editorRect.bottom) / 2};
    if (!IsWindowVisible(editor) || WindowFromPoint(middle) != editor) return Fail("the time editor is not on top");
    wchar_t typedText[16] = L"";
    SendMessageW(editor, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(typedText));  // carried across by the system
    if (std::wstring(typedText) != L"25") return Fail("the time editor did not take the keys");
    if (argc > 2) testing_support::SaveWindowImage(sheet, std::wstring(argv[2]) + L"\\effect-time-editor.bmp");
    // A click elsewhere ends the edit; Ctrl+clicks add two rows to the clicked one.
    if (!Request(request, At(name[1], 20) + " click 1\nsleep 0.3\nkeydown ctrl\n" + At(name[3], 20) +
                              " click 1\nsleep 0.3\n" + At(name[4], 20) + " click 1\nkeyup ctrl\n"))
        return Fail("the script did not select");
    launcher.Sync();
    std::wstring typed = CellText(process, rows, 0, 1);
    if (typed != L"20") {
        printf("effect rows: the typed time shows \"%ls\"\n", typed.c_str());
        return 1;
    }
    if (SendMessageW(rows, LVM_GETSELECTEDCOUNT, 0, 0) != 3) return Fail("three rows are not selected");
    RECT button{};
    GetWindowRect(GetDlgItem(page, kDeleteSelected), &button);
    if (!Request(request, At(button) + " click 1\n")) return Fail("the script did not delete");
    launcher.Sync();
    if (SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0) != 2) return Fail("the three rows were not deleted");

    GetWindowRect(GetDlgItem(sheet, IDCANCEL), &button);
    if (!Request(request, At(button) + " click 1\n")) return Fail("the script did not cancel");
    for (int i = 0; i < 100 && IsWindow(sheet); ++i) Pump(50);
    if (IsWindow(sheet)) return Fail("Cancel did not close the sheet");
    std::string playlist = ReadBytes(install.Path(L"data\\EffectPath.xml"));
    bool saved = playlist.find("effect.exe</file>") != std::string::npos &&
                 playlist.find("<time>20</time>") != std::string::npos &&
                 playlist.find("fxC.exe</file>") != std::string::npos &&
                 playlist.find("fxB.exe") == std::string::npos && playlist.find("fxD.exe") == std::string::npos &&
                 playlist.find("fxE.exe") == std::string::npos;
    if (!saved) {
        printf("effect rows: the cancelled sheet saved\n%s\n", playlist.c_str());
        return 1;
    }
    printf("effect rows: typed time limited, three rows deleted, saved on cancel\n");
    return 0;
}
