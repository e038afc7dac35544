#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace kit {

struct MessageBoxCall {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

// Every message box of the system goes through here, so that tests can record
// and answer them. Without a hook it is the real MessageBoxW.
//
// In-process hook: SetMessageBoxHook. Across processes: when the environment
// variable PAVORA_MESSAGEBOX_LOG names a file, each box is appended to it as one
// UTF-8 line "owner-title<TAB>caption<TAB>text<TAB>type" (line breaks in the text
// written as \n) and answered with PAVORA_MESSAGEBOX_ANSWER (a decimal button id),
// or with the first button of the box when that variable is absent.
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

using MessageBoxHook = std::function<int(const MessageBoxCall&)>;
// Returns the hook it replaces, so that a caller can put it back.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// The button id that a plain click on the first button of a box of this type gives.
int FirstButtonOf(UINT type);

}  // namespace kit
