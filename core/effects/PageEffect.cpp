#include "core/effects/PageEffect.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlwapi.h>

#include <cwchar>
#include <string>

#include "core/effects/EffectPrograms.h"
#include "core/effects/EffectStartedMessage.h"
#include "core/effects/LastEffectPath.h"
#include "core/effects/Playlist.h"
#include "core/frame/Processes.h"
#include "core/resources/EffectPageIds.h"
#include "core/text/LanguageCaption.h"
#include "core/text/ConfigFile.h"
#include "framework/CurrentDirectoryScope.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"

namespace {

namespace config = tessaly::config;

// A playlist entry holds 259 characters and its terminator.
constexpr size_t kLongestPath = 259;

const kit::Caption kCaptions[] = {
    {IDC_EFFECT_ADD, L"40"},        {IDC_EFFECT_DELETE_SELECTED, L"41"}, {IDC_EFFECT_DELETE_ALL, L"42"},
    {IDC_EFFECT_PLAY_SELECTED, L"43"}, {IDC_EFFECT_TIME_LABEL, L"44"},   {IDC_EFFECT_AUTO, L"46"},
    {IDC_EFFECT_PASSWORD_LABEL, L"47"}, {IDC_EFFECT_GROUP, L"48"},
};

std::wstring Format(const wchar_t* format, double value)
{
    wchar_t text[128] = L"";
    _snwprintf(text, 127, format, value);
    return text;
}

std::wstring FileNameOf(const std::wstring& path)
{
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring CellText(HWND list, int row, int column)
{
    wchar_t text[128] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

void SetCellText(HWND list, int row, int column, const std::wstring& text)
{
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int FirstSelected(HWND list)
{
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

}  // namespace

CPageEffect::CPageEffect() : PropertyPage(IDD_EFFECT_PAGE) {}

CPageEffect::~CPageEffect()
{
    Destroy();
}

BOOL CPageEffect::OnInitDialog()
{
    HWND list = List();
    RECT bounds{};
    GetWindowRect(list, &bounds);
    int width = bounds.right - bounds.left;
    std::wstring effect = option::LanguageText(L"38");
    std::wstring time = option::LanguageText(L"39");
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    column.fmt = LVCFMT_CENTER;
    column.pszText = &effect[0];
    column.cx = width * 3 / 4;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = &time[0];
    column.cx = width / 4;
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));

    kit::ApplyCaptions(Handle(), kCaptions, option::LanguageText);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    ShowWindow(Item(IDC_EFFECT_TIME_EDITOR), SW_HIDE);
    kit::SetChecked(Handle(), IDC_EFFECT_AUTO, config::ReadInt(config::kAuto) != 0);
    kit::WriteFloat(Handle(), IDC_EFFECT_TIME, timeValue_);

    for (const EffectEntry& entry : tessaly::LibraryPlaylist()) {
        std::wstring path(entry.path, wcsnlen(entry.path, kLongestPath));
        AppendRow(path, tessaly::TimeText(entry.time), true);
    }
    return TRUE;
}

void CPageEffect::AppendRow(const std::wstring& path, const std::wstring& timeText, bool markMissing)
{
    HWND list = List();
    std::wstring name = tessaly::ShortName(path);
    // Shown only: the row's path, which is what is saved, stays as it is.
    if (markMissing && !PathFileExistsW(path.c_str())) name += option::LanguageText(L"200");
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = &name[0];
    item.lParam = nextKey_;
    int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    SetCellText(list, row, 1, timeText);
    paths_[nextKey_] = path;
    ++nextKey_;
}

std::vector<tessaly::PlaylistRow> CPageEffect::Rows() const
{
    std::vector<tessaly::PlaylistRow> rows;
    HWND list = List();
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        auto path = paths_.find(static_cast<int>(item.lParam));
        rows.push_back({path == paths_.end() ? std::wstring() : path->second, CellText(list, row, 1)});
    }
    return rows;
}

void CPageEffect::SavePlaylist()
{
    std::vector<tessaly::PlaylistRow> rows = Rows();
    // Replaced in place: the launcher keeps the list's address.
    tessaly::LibraryPlaylist() = tessaly::PlaylistOf(rows);
    tessaly::SavePlaylist(rows, tessaly::kPlaylistFile);
}

void CPageEffect::OnDestroy()
{
    SavePlaylist();
}

bool CPageEffect::OnCommand(WORD id, WORD code, HWND)
{
    if (id == IDC_EFFECT_TIME_EDITOR) {
        if (code == EN_KILLFOCUS) CommitTimeEdit();
        return true;
    }
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_EFFECT_ADD: OnAddEffects(); return true;
    case IDC_EFFECT_DELETE_SELECTED: OnDeleteSelected(); return true;
    case IDC_EFFECT_DELETE_ALL: OnDeleteAll(); return true;
    case IDC_EFFECT_PLAY_SELECTED: OnPlaySelected(); return true;
    case IDC_EFFECT_AUTO:
        config::WriteString(config::kAuto, kit::IsChecked(Handle(), IDC_EFFECT_AUTO) ? L"1" : L"0");
        return true;
    default:
        return false;
    }
}

bool CPageEffect::OnNotify(int id, NMHDR* header, LRESULT& result)
{
    if (id == IDC_EFFECT_LIST && header->code == NM_DBLCLK) {
        OnListDoubleClick(*reinterpret_cast<NMITEMACTIVATE*>(header));
        result = 0;
        return true;
    }
    return PropertyPage::OnNotify(id, header, result);
}

void CPageEffect::Warn(const std::wstring& text)
{
    kit::ShowMessageBox(Handle(), text.c_str(), L"友情提示", MB_OK | MB_ICONWARNING);
}

void CPageEffect::OnAddEffects()
{
    // A field without a number has been reported; the exchange stops there, so the
    // previous time and password stay in use.
    if (kit::ReadFloat(Handle(), IDC_EFFECT_TIME, timeValue_)) password_ = kit::ReadText(Handle(), IDC_EFFECT_PASSWORD);
    if (timeValue_ < kMinimumMinutes) {
        Warn(Format(L"单个效果时间不能小于%f分", kMinimumMinutes));
        return;
    }
    if (!tessaly::PasswordUnlocks(config::ReadString(config::kPassword), password_)) {
        Warn(L"效果解锁密码不对");
        return;
    }
    std::vector<std::wstring> chosen = ChooseFiles();
    AddChosenFiles(chosen);
}

std::vector<std::wstring> CPageEffect::ChooseFiles()
{
    kit::CurrentDirectoryScope keep;
    std::vector<wchar_t> names(2048, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.lpstrFilter = L"效果文件(*.exe;*.cmd) \0*.exe;*.cmd\0";
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_FILEMUSTEXIST;
    std::vector<std::wstring> paths;
    if (!GetOpenFileNameW(&dialog)) return paths;

    // One file: its full path. Several: the folder, then each name, each ended by a NUL.
    std::wstring first(names.data());
    const wchar_t* next = names.data() + first.size() + 1;
    if (!*next) {
        paths.push_back(first);
        return paths;
    }
    std::wstring folder = first.empty() || first.back() == L'\\' ? first : first + L'\\';
    for (; *next; next += wcslen(next) + 1) paths.push_back(folder + next);
    return paths;
}

void CPageEffect::AddChosenFiles(const std::vector<std::wstring>& paths)
{
    for (const std::wstring& path : paths) {
        if (FileNameOf(path) == L"Nimbrel.exe") {
            Warn(L"请选择扩展名为cmd的文件\n或*.exe文件\n不要选择Nimbrel.exe");
        } else if (tessaly::IsNativeEffect(path) && timeValue_ > kNativeMaximumMinutes) {
            Warn(L"单个效果时间不能大于" + std::to_wstring(kNativeMaximumMinutes) + L"分");
        } else if (path.size() > kLongestPath) {
            // Cut, it would name another file.
            Warn(L"效果路径过长,不能超过259个字符:\n" + path);
        } else {
            AppendRow(path, tessaly::TimeText(timeValue_));
        }
    }
}

void CPageEffect::OnDeleteSelected()
{
    HWND list = List();
    for (int row; (row = FirstSelected(list)) >= 0;) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        paths_[static_cast<int>(item.lParam)].clear();
        SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    }
}

void CPageEffect::OnDeleteAll()
{
    paths_.clear();
    nextKey_ = 0;
    SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
}

void CPageEffect::OnPlaySelected()
{
    HWND list = List();
    int row = FirstSelected(list);
    if (row < 0) return;
    std::wstring& last = tessaly::LastEffectPath();
    if (!last.empty()) {
        tessaly::KillProcesses(last.c_str());
        last.clear();
    }
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    std::wstring path = paths_[static_cast<int>(item.lParam)];
    if (!tessaly::StartEffect(path.c_str())) return;
    last = path;
    SendMessageW(Sheet(), WM_CLOSE, 0, 0);
    std::wstring title = option::LanguageText(L"6");
    if (HWND launcher = FindWindowW(nullptr, title.c_str()))
        PostMessageW(launcher, tessaly::kEffectStartedMessage, reinterpret_cast<WPARAM>(&last), 0);
}

void CPageEffect::OnListDoubleClick(const NMITEMACTIVATE& click)
{
    LVHITTESTINFO hit{};
    hit.pt = click.ptAction;
    int row = static_cast<int>(SendMessageW(List(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0) return;
    if (hit.iSubItem == 1) BeginTimeEdit(row);
    else OnPlaySelected();
}

void CPageEffect::BeginTimeEdit(int row)
{
    editingRow_ = row;
    HWND list = List();
    HWND editor = Item(IDC_EFFECT_TIME_EDITOR);
    RECT cell{};
    cell.top = 1;
    cell.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    cell.left += 3;
    cell.right -= 3;
    MapWindowPoints(list, Handle(), reinterpret_cast<POINT*>(&cell), 2);
    SetWindowTextW(editor, CellText(list, row, 1).c_str());
    // The template puts the editor below the list: raised, or the list paints over it.
    SetWindowPos(editor, HWND_TOP, cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, 0);
    SetFocus(editor);
    CreateCaret(editor, nullptr, 1, cell.bottom - cell.top - 3);
    ShowCaret(editor);
    SendMessageW(editor, EM_SETSEL, 0, -1);
    SendMessageW(editor, EM_SCROLLCARET, 0, 0);
    ShowWindow(editor, SW_SHOW);
}

void CPageEffect::CommitTimeEdit()
{
    if (editingRow_ < 0) return;
    HWND list = List();
    std::wstring text = kit::ReadText(Handle(), IDC_EFFECT_TIME_EDITOR);
    bool native = CellText(list, editingRow_, 0).find(L"effect.exe") != std::wstring::npos;
    SetCellText(list, editingRow_, 1, tessaly::LimitedTimeText(text, native));
    ShowWindow(Item(IDC_EFFECT_TIME_EDITOR), SW_HIDE);
    editingRow_ = -1;
}
