#pragma once
#include <map>
#include <string>
#include <vector>

#include "core/text/tstring.h"

namespace tessaly {

// The numbered texts of Bin\language.txt in the configured language, loaded once
// when the library starts and only read afterwards.
//
// File: UTF-16 LE, optional byte-order mark, one entry per line:
//     26`设置` `Settings`
// The number, then one backtick-enclosed text per language. Lines that do not start
// with a hexadecimal digit (after blanks, then tabs) are comments.
class LanguageTable {
public:
    struct Duplicate {
        std::wstring key;
        int line;  // zero-based
    };

    static LanguageTable& Instance();

    // Reads Bin\language.txt with the language of Bin\config.ini.
    void Load();
    // Reads `path` in language column `language` (values below 1 count as 1) and
    // reports each duplicate number in a message box.
    void Load(const wchar_t* path, int language);
    // Replaces the table with the entries of `text` (file content without the
    // byte-order mark); the duplicates are returned, the first entry of each kept.
    std::vector<Duplicate> Parse(const std::wstring& text, int language);

    // The text for `id`, or `id` itself when there is none (null gives an empty text).
    // The id is compared exactly: "026" does not find "26".
    tstring Lookup(const wchar_t* id) const;
    size_t Size() const { return texts_.size(); }

private:
    std::map<std::wstring, std::wstring> texts_;
};

}  // namespace tessaly
