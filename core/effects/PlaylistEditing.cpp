#include "core/effects/PlaylistEditing.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <memory>

#include <tinyxml.h>

#include "core/effects/Playlist.h"
#include "core/effects/PlaylistFile.h"
#include "core/text/DocumentFile.h"
#include "core/text/tstring.h"

namespace tessaly {
namespace {

std::wstring LowerAscii(std::wstring text)
{
    for (wchar_t& ch : text)
        if (ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch - L'A' + L'a');
    return text;
}

std::string Ansi(const std::wstring& text)
{
    std::unique_ptr<char[]> bytes(tstring::ToMultiByte(text.c_str()));
    return bytes ? std::string(bytes.get()) : std::string();
}

void AddText(TiXmlElement& parent, const char* name, const std::string& text)
{
    TiXmlElement child(name);
    child.InsertEndChild(TiXmlText(text));
    parent.InsertEndChild(child);
}

}  // namespace

std::wstring ShortName(const std::wstring& path)
{
    size_t last = path.rfind(L'\\');
    if (last == std::wstring::npos || last == 0) return path;
    size_t before = path.rfind(L'\\', last - 1);
    if (before == std::wstring::npos) return path;
    return path.substr(before + 1);
}

bool PasswordUnlocks(const std::wstring& stored, const std::wstring& typed)
{
    return stored.empty() || LowerAscii(stored) == LowerAscii(typed);
}

std::wstring LimitedTimeText(const std::wstring& typed, bool nativeEffect)
{
    float number = 0.0f;
    if (swscanf(typed.c_str(), L"%f", &number) != 1) number = 0.0f;
    if (!(number >= 0.15f)) return L"0.15";
    if (nativeEffect && number > 20.0f) return L"20";
    return typed;
}

std::wstring TimeText(float minutes)
{
    wchar_t text[64] = L"";
    _snwprintf(text, 63, L"%.1f", static_cast<double>(minutes));
    return text;
}

EffectList PlaylistOf(const std::vector<PlaylistRow>& rows)
{
    EffectList entries;
    for (const PlaylistRow& row : rows) {
        EffectEntry entry{};
        // Rows hold only paths that fit: the page refuses longer ones when adding.
        size_t length = row.path.size() < std::size(entry.path) - 1 ? row.path.size() : std::size(entry.path) - 1;
        std::wmemcpy(entry.path, row.path.c_str(), length);
        entry.time = MinutesOf(_wtof(row.timeText.substr(0, 49).c_str()));
        entries.push_back(entry);
    }
    return entries;
}

std::wstring UnreadableCopyName(const std::wstring& file)
{
    size_t dot = file.rfind(L'.');
    size_t slash = file.find_last_of(L"\\/");
    std::wstring base = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) ? file.substr(0, dot) : file;
    std::wstring name = base + L".unreadable.xml";
    for (int number = 1; GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES && number < 1000; ++number)
        name = base + L".unreadable." + std::to_wstring(number) + L".xml";
    return name;
}

bool SavePlaylist(const std::vector<PlaylistRow>& rows, const wchar_t* file)
{
    EffectList current;
    if (GetFileAttributesW(file) != INVALID_FILE_ATTRIBUTES && !LoadPlaylist(file, current) &&
        !CopyFileW(file, UnreadableCopyName(file).c_str(), TRUE))
        return false;  // the operator's file is not replaced before its copy is kept

    TiXmlDocument document;
    TiXmlElement root("Effects");
    for (const PlaylistRow& row : rows) {
        TiXmlElement effect("Effect");
        AddText(effect, "file", Ansi(row.path));
        AddText(effect, "time", Ansi(row.timeText.substr(0, 49)));
        root.InsertEndChild(effect);
    }
    document.InsertEndChild(root);
    return SaveDocumentReplacing(document, std::wstring(file));
}

}  // namespace tessaly
