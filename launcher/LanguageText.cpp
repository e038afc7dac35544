#include "launcher/LanguageText.h"

#include "core/library/TessalyApi.h"

namespace launcher {

std::wstring LanguageText(const wchar_t* id)
{
    tstring text = GetLanStr(id);
    const wchar_t* data = text.Data();
    return data ? std::wstring(data) : std::wstring();
}

}  // namespace launcher
