#include "framework/MessageBox.h"

#include "framework/TestLog.h"

#include <cwchar>
#include <vector>

namespace kit {
namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

std::wstring Escaped(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t ch : text) {
        if (ch == L'\n') out += L"\\n";
        else if (ch == L'\r') out += L"\\r";
        else if (ch == L'\t') out += L"\\t";
        else out += ch;
    }
    return out;
}

std::wstring Record(const MessageBoxCall& call)
{
    wchar_t ownerTitle[260] = L"";
    if (call.owner) GetWindowTextW(call.owner, ownerTitle, 260);
    wchar_t type[16];
    _snwprintf(type, 15, L"%u", call.type);
    type[15] = L'\0';
    return Escaped(ownerTitle) + L"\t" + Escaped(call.caption) + L"\t" + Escaped(call.text) + L"\t" + type;
}

}  // namespace

int FirstButtonOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return IDOK;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    case MB_CANCELTRYCONTINUE: return IDCANCEL;
    default: return IDOK;
    }
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    MessageBoxCall call{owner, text ? text : L"", caption ? caption : L"", type};
    if (Hook()) return Hook()(call);

    if (AppendTestLog(L"PAVORA_MESSAGEBOX_LOG", Record(call))) {
        std::wstring answer = EnvironmentValue(L"PAVORA_MESSAGEBOX_ANSWER");
        return answer.empty() ? FirstButtonOf(type) : _wtoi(answer.c_str());
    }
    return MessageBoxW(owner, text, caption, type);
}

}  // namespace kit
