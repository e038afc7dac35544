#include "core/effects/Playlist.h"

#include <windows.h>

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>

#include <tinyxml.h>

#include "core/text/XmlFileLimits.h"
#include "core/text/tstring.h"

namespace tessaly {

const wchar_t kPlaylistFile[] = L"data\\EffectPath.xml";

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

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
            path = tstring(const_cast<char*>(first->Value())).GetBase();
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

EffectList& LibraryPlaylist()
{
    static EffectList list;
    return list;
}

bool LoadPlaylist(const wchar_t* file, EffectList& entries)
{
    entries.clear();
    // Opened here rather than by TinyXML, whose narrow file names cannot reach every folder.
    std::unique_ptr<FILE, FileCloser> stream(_wfopen(file, L"rb"));
    if (!stream) return false;
    TiXmlDocument document;
    if (!LoadXmlWithinLimits(stream.get(), document)) return false;
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
