#include "core/effects/PlaylistFile.h"

#include <windows.h>

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>

#include <tinyxml.h>

#include "core/text/XmlFileLimits.h"

namespace tessaly {

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// The ANSI code page's text as the library's string class converts it, without it: the
// launcher reads playlists too and binds to nothing of the library beyond its exports.
std::wstring FromAnsi(const char* text)
{
    if (!text || !*text) return std::wstring();
    const int length = static_cast<int>(std::strlen(text));
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : MB_PRECOMPOSED;
    int needed = MultiByteToWideChar(CP_ACP, flags, text, length, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, flags, text, length, &wide[0], needed);
    // Cut at a NUL as a formatted copy would.
    return std::wstring(wide.c_str());
}

std::string LowerAscii(const char* text)
{
    std::string lower(text ? text : "");
    for (char& ch : lower) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return lower;
}

// Any child of the entry counts by its name alone, so that hand-edited files with
// other letter case still load; a later child of the same name wins.
bool ReadEntry(const TiXmlElement& element, EffectEntry& entry)
{
    std::wstring path;
    float minutes = 0.0f;
    for (const TiXmlNode* node = element.FirstChild(); node; node = node->NextSibling()) {
        const TiXmlNode* first = node->FirstChild();
        if (!first || !first->ToText()) continue;
        const std::string name = LowerAscii(node->Value());
        if (name == "file") {
            path = FromAnsi(first->Value());
        } else if (name == "time") {
            minutes = MinutesOf(std::atof(first->Value()));
        }
    }
    // Cutting an over-long path would name some other file: leave the entry out.
    if (path.empty() || path.size() >= std::size(entry.path)) return false;
    // An entry whose program is missing stays: its drive may be plugged in later, and the
    // effect page's next save would otherwise delete it from the file for good.
    std::wmemcpy(entry.path, path.c_str(), path.size() + 1);
    entry.time = minutes;
    return true;
}

}  // namespace

float MinutesOf(double number)
{
    if (number > FLT_MAX) return FLT_MAX;
    if (number < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(number);
}

bool LoadPlaylist(const wchar_t* file, EffectList& entries, std::wstring* problem)
{
    entries.clear();
    // Opened here rather than by TinyXML, whose narrow file names cannot reach every folder.
    std::unique_ptr<FILE, FileCloser> stream(_wfopen(file, L"rb"));
    if (!stream) {
        if (problem) *problem = GetFileAttributesW(file) == INVALID_FILE_ATTRIBUTES ? L"the file is missing"
                                                                                   : L"the file cannot be opened";
        return false;
    }
    TiXmlDocument document;
    if (!LoadXmlWithinLimits(stream.get(), document)) {
        if (problem) {
            if (document.Error())
                *problem = L"line " + std::to_wstring(document.ErrorRow()) + L": " + FromAnsi(document.ErrorDesc());
            else
                *problem = L"larger than " + std::to_wstring(kXmlSizeLimit / (1024 * 1024)) + L" MB or nested deeper than " +
                           std::to_wstring(kXmlDepthLimit) + L" elements";
        }
        return false;
    }
    const TiXmlElement* root = document.RootElement();
    if (!root) return true;
    for (const TiXmlElement* element = root->FirstChildElement(); element;
         element = element->NextSiblingElement()) {
        EffectEntry entry{};
        if (ReadEntry(*element, entry)) entries.push_back(entry);
    }
    return true;
}

}  // namespace tessaly
