#include "core/settings/SchedulePage.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlwapi.h>

#include <tinyxml.h>

#include <cwctype>
#include <memory>

#include "core/resources/SchedulePageIds.h"
#include "core/settings/SaveFailures.h"
#include "core/text/ConfigFile.h"
#include "core/text/DocumentFile.h"
#include "core/text/LanguageCaption.h"
#include "framework/CurrentDirectoryScope.h"
#include "framework/DataExchange.h"
#include "framework/FileBytes.h"
#include "framework/Handles.h"
#include "framework/Utf8.h"
#include "framework/MessageBox.h"

namespace {

namespace config = tessaly::config;
using schedule::Entry;

const wchar_t kScheduleFile[] = L"data\\Schedule.xml";

const kit::Caption kCaptions[] = {
    {IDC_SCHEDULE_GROUP, L"201"},         {IDC_SCHEDULE_MONDAY, L"206"},      {IDC_SCHEDULE_MONDAY + 1, L"207"},
    {IDC_SCHEDULE_MONDAY + 2, L"208"},    {IDC_SCHEDULE_MONDAY + 3, L"209"},  {IDC_SCHEDULE_MONDAY + 4, L"210"},
    {IDC_SCHEDULE_MONDAY + 5, L"211"},    {IDC_SCHEDULE_MONDAY + 6, L"212"},  {IDC_SCHEDULE_DATE_LABEL, L"213"},
    {IDC_SCHEDULE_FROM_LABEL, L"214"},    {IDC_SCHEDULE_TO_LABEL, L"215"},    {IDC_SCHEDULE_OFF, L"216"},
    {IDC_SCHEDULE_PLAYLIST_LABEL, L"217"}, {IDC_SCHEDULE_ADD, L"218"},        {IDC_SCHEDULE_CHANGE, L"219"},
    {IDC_SCHEDULE_DELETE, L"220"},        {IDC_SCHEDULE_PROJECTOR_GROUP, L"221"}, {IDC_SCHEDULE_ADDRESS_LABEL, L"222"},
    {IDC_SCHEDULE_PASSWORD_LABEL, L"223"}, {IDC_SCHEDULE_TRY, L"224"},        {IDC_SCHEDULE_ADDRESS_HINT, L"225"},
};

std::wstring DaysText(const Entry& entry)
{
    if (entry.kind == Entry::Day) return schedule::DateText(entry.year, entry.month, entry.day);
    if (entry.days == 0xFEu) return option::LanguageText(L"234");
    std::wstring text;
    for (int day = 1; day <= 7; ++day) {
        if (!((entry.days >> day) & 1u)) continue;
        if (!text.empty()) text += L' ';
        text += option::LanguageText(std::to_wstring(205 + day).c_str());
    }
    return text;
}

// A playlist inside the installation is kept relative to it, as the schedule file gives
// playlists, so that the installation can move.
std::wstring InstallationRelative(const std::wstring& path)
{
    wchar_t folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    std::wstring prefix = folder;
    if (!prefix.empty() && prefix.back() != L'\\') prefix += L'\\';
    if (path.size() > prefix.size() && _wcsnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0)
        return path.substr(prefix.size());
    return path;
}

void SetCell(HWND list, int row, int column, const std::wstring& text)
{
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

CSchedulePage::CSchedulePage() : PropertyPage(IDD_SCHEDULE_PAGE) {}

CSchedulePage::~CSchedulePage()
{
    Destroy();
}

HWND CSchedulePage::List() const
{
    return Item(IDC_SCHEDULE_LIST);
}

BOOL CSchedulePage::OnInitDialog()
{
    HWND list = List();
    RECT bounds{};
    GetClientRect(list, &bounds);
    const struct {
        const wchar_t* text;
        int share;  // of 20
    } kColumns[] = {{L"202", 6}, {L"203", 3}, {L"204", 3}, {L"205", 8}};
    for (int i = 0; i < 4; ++i) {
        std::wstring text = option::LanguageText(kColumns[i].text);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = &text[0];
        column.cx = (bounds.right - bounds.left) * kColumns[i].share / 20;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    kit::ApplyCaptions(Handle(), kCaptions, option::LanguageText);

    // Every entry that reads is shown, a missing playlist included (marked), so that the
    // page never drops one the operator may still mend.
    std::string bytes;
    kit::ReadFileBytes(kScheduleFile, bytes);
    schedule::Schedule loaded = schedule::Parse(bytes, [](const std::wstring&) { return true; });
    entries_ = loaded.entries;
    if (!loaded.problems.empty()) kit::WriteText(Handle(), IDC_SCHEDULE_PROBLEMS, option::LanguageText(L"236"));
    ShowEntries(-1);

    projectors_.Load(Handle());
    return TRUE;
}

void CSchedulePage::ShowEntries(int select)
{
    HWND list = List();
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        std::wstring days = DaysText(entry);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = &days[0];
        int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0) continue;
        SetCell(list, row, 1, entry.wholeDay ? option::LanguageText(L"233") : schedule::TimeText(entry.from));
        SetCell(list, row, 2, entry.wholeDay ? std::wstring() : schedule::TimeText(entry.to));
        std::wstring what = entry.off ? option::LanguageText(L"232") : entry.playlist;
        if (!entry.off && !PathFileExistsW(entry.playlist.c_str())) what += option::LanguageText(L"200");
        SetCell(list, row, 3, what);
    }
    if (select >= 0) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(select), reinterpret_cast<LPARAM>(&state));
        SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(select), FALSE);
    }
}

void CSchedulePage::ShowEntry(int index)
{
    if (index < 0 || index >= static_cast<int>(entries_.size())) return;
    const Entry& entry = entries_[static_cast<size_t>(index)];
    for (int day = 1; day <= 7; ++day)
        kit::SetChecked(Handle(), IDC_SCHEDULE_MONDAY + day - 1,
                        entry.kind == Entry::Window && ((entry.days >> day) & 1u));
    kit::WriteText(Handle(), IDC_SCHEDULE_DATE,
                   entry.kind == Entry::Day ? schedule::DateText(entry.year, entry.month, entry.day) : std::wstring());
    kit::WriteText(Handle(), IDC_SCHEDULE_FROM, entry.wholeDay ? std::wstring() : schedule::TimeText(entry.from));
    kit::WriteText(Handle(), IDC_SCHEDULE_TO, entry.wholeDay ? std::wstring() : schedule::TimeText(entry.to));
    kit::SetChecked(Handle(), IDC_SCHEDULE_OFF, entry.off);
    kit::WriteText(Handle(), IDC_SCHEDULE_PLAYLIST, entry.playlist);
}

int CSchedulePage::Selected() const
{
    return static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CSchedulePage::Refuse(const wchar_t* textId, const std::wstring& detail)
{
    std::wstring text = option::LanguageText(textId) + detail;
    kit::ShowMessageBox(Handle(), text.c_str(), option::LanguageText(L"201").c_str(), MB_OK | MB_ICONWARNING);
}

bool CSchedulePage::ReadFields(Entry& entry)
{
    entry = Entry();
    std::wstring date = kit::ReadText(Handle(), IDC_SCHEDULE_DATE);
    date.erase(0, date.find_first_not_of(L' '));
    date.erase(date.find_last_not_of(L' ') + 1);
    if (!date.empty()) {
        entry.kind = Entry::Day;
        if (!schedule::ReadDate(date, entry.year, entry.month, entry.day)) {
            Refuse(L"228");
            SetFocus(Item(IDC_SCHEDULE_DATE));
            return false;
        }
    } else {
        for (int day = 1; day <= 7; ++day)
            if (kit::IsChecked(Handle(), IDC_SCHEDULE_MONDAY + day - 1)) entry.days |= 1u << day;
        if (!entry.days) {
            Refuse(L"227");
            return false;
        }
    }

    std::wstring from = kit::ReadText(Handle(), IDC_SCHEDULE_FROM), to = kit::ReadText(Handle(), IDC_SCHEDULE_TO);
    bool noFrom = from.find_first_not_of(L' ') == std::wstring::npos;
    bool noTo = to.find_first_not_of(L' ') == std::wstring::npos;
    if (noFrom && noTo && entry.kind == Entry::Day) {
        entry.wholeDay = true;
    } else if (noFrom || noTo) {
        Refuse(L"238");
        SetFocus(Item(noFrom ? IDC_SCHEDULE_FROM : IDC_SCHEDULE_TO));
        return false;
    } else if (!schedule::ReadTimeOfDay(from, false, entry.from)) {
        Refuse(L"226", L"\n" + from);
        SetFocus(Item(IDC_SCHEDULE_FROM));
        return false;
    } else if (!schedule::ReadTimeOfDay(to, true, entry.to)) {
        Refuse(L"226", L"\n" + to);
        SetFocus(Item(IDC_SCHEDULE_TO));
        return false;
    } else if (entry.from == entry.to) {
        Refuse(L"237");
        SetFocus(Item(IDC_SCHEDULE_TO));
        return false;
    }

    entry.off = kit::IsChecked(Handle(), IDC_SCHEDULE_OFF);
    if (!entry.off) {
        entry.playlist = kit::ReadText(Handle(), IDC_SCHEDULE_PLAYLIST);
        if (entry.playlist.empty()) {
            Refuse(L"229");
            return false;
        }
    }
    return true;
}

void CSchedulePage::OnAdd()
{
    Entry entry;
    if (!ReadFields(entry)) return;
    entries_.push_back(entry);
    changed_ = true;
    ShowEntries(static_cast<int>(entries_.size()) - 1);
}

void CSchedulePage::OnChange()
{
    int index = Selected();
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        Refuse(L"230");
        return;
    }
    Entry entry;
    if (!ReadFields(entry)) return;
    entries_[static_cast<size_t>(index)] = entry;
    changed_ = true;
    ShowEntries(index);
}

void CSchedulePage::OnDelete()
{
    int index = Selected();
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        Refuse(L"230");
        return;
    }
    entries_.erase(entries_.begin() + index);
    changed_ = true;
    ShowEntries(index < static_cast<int>(entries_.size()) ? index : index - 1);
}

void CSchedulePage::OnChoosePlaylist()
{
    // The file dialog may change the current directory, which the installation's relative
    // paths hang on.
    kit::CurrentDirectoryScope keep;
    std::wstring filter = option::LanguageText(L"235");
    filter += L'\0';
    filter += L"*.xml";
    filter += L'\0';
    wchar_t name[MAX_PATH] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = name;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&dialog)) return;
    kit::WriteText(Handle(), IDC_SCHEDULE_PLAYLIST, InstallationRelative(name));
    kit::SetChecked(Handle(), IDC_SCHEDULE_OFF, false);
}

void CSchedulePage::OnTryProjectors()
{
    std::wstring problem;
    if (projectors_.Try(Handle(), problem)) return;
    Refuse(L"231", problem);
    SetFocus(Item(IDC_SCHEDULE_ADDRESS));
}

INT_PTR CSchedulePage::OnMessage(UINT message, WPARAM, LPARAM lParam, bool& handled)
{
    if (message != CProjectorFields::kTriedMessage) return 0;
    projectors_.OnTried(Handle(), lParam);
    handled = true;
    return 0;
}

bool CSchedulePage::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_SCHEDULE_ADD: OnAdd(); return true;
    case IDC_SCHEDULE_CHANGE: OnChange(); return true;
    case IDC_SCHEDULE_DELETE: OnDelete(); return true;
    case IDC_SCHEDULE_CHOOSE: OnChoosePlaylist(); return true;
    case IDC_SCHEDULE_TRY: OnTryProjectors(); return true;
    default: return false;
    }
}

bool CSchedulePage::OnNotify(int id, NMHDR* header, LRESULT& result)
{
    if (id == IDC_SCHEDULE_LIST && header->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW& change = *reinterpret_cast<NMLISTVIEW*>(header);
        if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED))
            ShowEntry(change.iItem);
        result = 0;
        return true;
    }
    return PropertyPage::OnNotify(id, header, result);
}

bool CSchedulePage::OnApply()
{
    std::wstring problem;
    if (!projectors_.Check(Handle(), problem)) {
        Refuse(L"231", problem);
        return false;
    }
    Store();
    return true;
}

void CSchedulePage::Store()
{
    if (changed_) {
        TiXmlDocument document;
        document.Parse(schedule::Serialize(entries_).c_str(), nullptr, TIXML_ENCODING_UTF8);
        bool written = !document.Error() && tessaly::SaveDocumentReplacing(document, std::wstring(kScheduleFile));
        option::SheetSaveFailures().Note(written, kScheduleFile);
        if (written) changed_ = false;
    }
    projectors_.Store(Handle());
}
