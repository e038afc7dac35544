#include "framework/ExceptionReport.h"

#include <cwchar>

#include "framework/MessageBox.h"

namespace kit {

void ReportUncaughtException(HWND window, const char* what)
{
    // Fixed buffers: the exception may be a failed allocation.
    wchar_t detail[256] = L"";
    if (what && *what) {
        int length = MultiByteToWideChar(CP_ACP, 0, what, -1, detail, 255);
        if (length == 0) detail[0] = L'\0';
        detail[255] = L'\0';
    }
    wchar_t text[400];
    _snwprintf(text, 399, L"程序出现意外错误,操作未能完成。\n%ls", detail[0] ? detail : L"(未知异常)");
    text[399] = L'\0';
    try {
        ShowMessageBox(window, text, L"信息提示", MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing is left to tell the user with.
    }
}

}  // namespace kit
