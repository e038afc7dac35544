#pragma once
// Language texts for the settings windows' captions.
#include <string>

#include "core/text/LanguageTable.h"

namespace option {

inline std::wstring LanguageText(const wchar_t* id)
{
    return tessaly::LanguageTable::Instance().Lookup(id).GetBase();
}

}  // namespace option
