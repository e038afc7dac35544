#pragma once
#include <string>

namespace launcher {

// The library's language text with this number, in the configured language.
std::wstring LanguageText(const wchar_t* id);

}  // namespace launcher
