#include "core/text/LanguageTable.h"

#include <windows.h>

#include <sstream>

#include "core/text/ConfigFile.h"
#include "core/text/Utf16File.h"
#include "framework/MessageBox.h"

namespace tessaly {
namespace {

const wchar_t kLanguagePath[] = L"Bin\\language.txt";
const wchar_t kBacktick = L'`';

bool IsHexDigit(wchar_t ch)
{
    return (ch >= L'0' && ch <= L'9') || (ch >= L'a' && ch <= L'f') || (ch >= L'A' && ch <= L'F');
}

// Read as a wide stream reads an int: "0026" gives "26", no digits give "0".
std::wstring NormalisedKey(const std::wstring& keyText)
{
    std::wistringstream in(keyText);
    int number = 0;
    in >> number;
    return std::to_wstring(number);
}

// The text of language column `language` in the part of the line from its first
// backtick on: the field after the (2n-1)-th backtick. Once no backtick is left the
// rest no longer changes, so the walk ends there; an absurd language number would
// otherwise walk billions of times per line.
std::wstring ColumnText(std::wstring rest, int language)
{
    const long long ticks = 2LL * language - 1;
    for (long long i = 0; i < ticks && !rest.empty(); ++i) {
        std::wstring::size_type tick = rest.find(kBacktick);
        if (tick == std::wstring::npos) break;
        rest.erase(0, tick + 1);
    }
    return rest.substr(0, rest.find(kBacktick));
}

}  // namespace

LanguageTable& LanguageTable::Instance()
{
    static LanguageTable table;
    return table;
}

void LanguageTable::Load()
{
    Load(kLanguagePath, config::Language());
}

void LanguageTable::Load(const wchar_t* path, int language)
{
    for (const Duplicate& duplicate : Parse(ReadUtf16File(path), language)) {
        tstring message;
        message.Format(L"字符索引%s重复,行号:%d", duplicate.key.c_str(), duplicate.line);
        kit::ShowMessageBox(nullptr, message.Data(), L"tips", MB_OK);
    }
}

std::vector<LanguageTable::Duplicate> LanguageTable::Parse(const std::wstring& text, int language)
{
    texts_.clear();
    std::vector<Duplicate> duplicates;
    if (language < 1) language = 1;
    if (text.empty()) return duplicates;

    std::wstring content = text;
    std::vector<tstring> lines = tstring(content).Spilt(L"\n", false);
    for (size_t index = 0; index < lines.size(); ++index) {
        tstring& line = lines[index];
        line.TrimLeft(L' ').TrimLeft(L'\t');
        // A file saved with CR LF line ends would otherwise give a bare CR, or a text
        // ending in CR, for a column beyond the last closed one.
        std::wstring& body = line.GetBase();
        if (!body.empty() && body.back() == L'\r') body.pop_back();
        if (body.empty() || !IsHexDigit(body[0])) continue;

        // A numbered line without any text is malformed; it must not end the loading.
        std::wstring::size_type firstTick = body.find(kBacktick);
        if (firstTick == std::wstring::npos) continue;

        std::wstring key = NormalisedKey(body.substr(0, firstTick));
        tstring value(ColumnText(body.substr(firstTick), language).c_str());
        value.ReplaceAll(L"\\n", L"\n");

        if (!texts_.emplace(key, value.GetBase()).second) {
            duplicates.push_back(Duplicate{key, static_cast<int>(index)});
        }
    }
    return duplicates;
}

tstring LanguageTable::Lookup(const wchar_t* id) const
{
    if (!id) return tstring();
    auto entry = texts_.find(id);
    if (entry != texts_.end() && !entry->second.empty()) return tstring(entry->second.c_str());
    return tstring(id);
}

}  // namespace tessaly
