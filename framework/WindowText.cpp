#include "framework/WindowText.h"

#include <vector>

namespace kit {

std::wstring WindowText(HWND window)
{
    if (!window) return std::wstring();
    int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data());
}

}  // namespace kit
