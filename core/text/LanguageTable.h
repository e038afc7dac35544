#pragma once
#include "core/text/tstring.h"

namespace tessaly {

// The numbered texts of Bin\language.txt in the configured language, loaded once
// when the library starts.
class LanguageTable {
public:
    static LanguageTable& Instance();
    // Reads Bin\language.txt with the language of Bin\config.ini.
    void Load();
    // The text for `id`, or `id` itself when there is none (null gives an empty text).
    tstring Lookup(const wchar_t* id) const;
};

}  // namespace tessaly
