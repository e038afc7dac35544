#include "framework/DataExchange.h"

#include <commctrl.h>

#include <cfloat>
#include <climits>
#include <cwchar>
#include <cwctype>

#include "framework/Application.h"
#include "framework/MessageBox.h"
#include "framework/WindowText.h"

namespace kit {
namespace {

void RefuseField(HWND dialog, int id, const wchar_t* text)
{
    Application* app = Application::Current();
    std::wstring caption = app ? app->Title() : ModuleTitle(nullptr);
    ShowMessageBox(dialog, text, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    if (HWND field = GetDlgItem(dialog, id)) {
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
    }
}

bool OnlyBlanksFrom(const wchar_t* text)
{
    while (*text && std::iswspace(*text)) ++text;
    return *text == L'\0';
}

}  // namespace

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SetChecked(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int CheckedIndex(HWND dialog, std::initializer_list<int> ids)
{
    int index = 0;
    for (int id : ids) {
        if (IsChecked(dialog, id)) return index;
        ++index;
    }
    return -1;
}

void CheckIndex(HWND dialog, std::initializer_list<int> ids, int index)
{
    int position = 0;
    for (int id : ids) SetChecked(dialog, id, position++ == index);
}

std::wstring ReadText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

void WriteText(HWND dialog, int id, const std::wstring& text)
{
    SetDlgItemTextW(dialog, id, text.c_str());
}

bool ReadFloat(HWND dialog, int id, float& value)
{
    std::wstring text = ReadText(dialog, id);
    wchar_t* end = nullptr;
    double number = std::wcstod(text.c_str(), &end);
    if (end == text.c_str() || !OnlyBlanksFrom(end) || !(number >= -FLT_MAX && number <= FLT_MAX)) {
        RefuseField(dialog, id, L"请输入一个数字。");
        return false;
    }
    value = static_cast<float>(number);
    return true;
}

void WriteFloat(HWND dialog, int id, float value)
{
    wchar_t text[64] = L"";
    _snwprintf(text, 63, L"%.*g", FLT_DIG, static_cast<double>(value));
    WriteText(dialog, id, text);
}

bool ReadInt(HWND dialog, int id, int& value)
{
    std::wstring text = ReadText(dialog, id);
    wchar_t* end = nullptr;
    long number = std::wcstol(text.c_str(), &end, 10);
    if (end == text.c_str() || !OnlyBlanksFrom(end) || number < INT_MIN || number > INT_MAX) {
        RefuseField(dialog, id, L"请输入一个整数。");
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

void WriteInt(HWND dialog, int id, int value)
{
    SetDlgItemInt(dialog, id, static_cast<UINT>(value), TRUE);
}

int SliderPosition(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0));
}

void SetSliderPosition(HWND dialog, int id, int position)
{
    SendDlgItemMessageW(dialog, id, TBM_SETPOS, TRUE, position);
}

void ApplyCaptions(HWND dialog, const Caption* captions, size_t count, const TextLookup& lookup)
{
    for (size_t i = 0; i < count; ++i) {
        HWND control = GetDlgItem(dialog, captions[i].control);
        if (!control) continue;
        std::wstring text = lookup(captions[i].textId);
        // A new caption redraws the control: only where the template says something else,
        // which in the templates' own language is nowhere.
        if (WindowText(control) != text) SetWindowTextW(control, text.c_str());
    }
}

}  // namespace kit
