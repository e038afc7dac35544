#include "core/text/ofxXmlSettings.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/text/DocumentFile.h"
#include "core/text/XmlFileLimits.h"

namespace {

const size_t kValueLimit = 1023;  // characters of a value read; the caller's buffer holds 1024
const size_t kNumberBuffer = 256;

std::vector<std::string> SplitPath(const std::string& tag)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= tag.size()) {
        size_t end = tag.find(':', start);
        if (end == std::string::npos) end = tag.size();
        if (end > start) names.push_back(tag.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// The name that pushTag and getNumTags use: a colon in the first place does not cut.
std::string FirstName(const std::string& tag)
{
    size_t colon = tag.find(':');
    return colon == std::string::npos || colon == 0 ? tag : tag.substr(0, colon);
}

TiXmlElement* NthChild(TiXmlNode* node, const std::string& name, int which)
{
    if (which < 0) which = 0;
    for (TiXmlElement* child = node->FirstChildElement(name); child; child = child->NextSiblingElement(name)) {
        if (which-- == 0) return child;
    }
    return nullptr;
}

int CountChildren(TiXmlNode* node, const std::string& name)
{
    int count = 0;
    for (TiXmlElement* child = node->FirstChildElement(name); child; child = child->NextSiblingElement(name))
        ++count;
    return count;
}

// The element at `names` below `start`; `which` applies to the first name only.
TiXmlElement* Walk(TiXmlNode* start, const std::vector<std::string>& names, int which)
{
    TiXmlElement* element = nullptr;
    TiXmlNode* node = start;
    for (size_t i = 0; i < names.size(); ++i) {
        element = NthChild(node, names[i], i == 0 ? which : 0);
        if (!element) return nullptr;
        node = element;
    }
    return element;
}

std::string DataPath(const std::string& path)
{
    if (path.compare(0, 1, "/") == 0 || path.compare(0, 5, "data/") == 0) return path;
    return "data/" + path;
}

// Child positions from the document down to `node`, so that a copy can put its cursor
// on the same place in its own tree.
std::vector<int> PositionOf(const TiXmlNode* node, const TiXmlNode* root)
{
    std::vector<int> steps;
    while (node && node != root) {
        const TiXmlNode* parent = node->Parent();
        if (!parent) return std::vector<int>();
        int index = 0;
        for (const TiXmlNode* sibling = parent->FirstChild(); sibling != node; sibling = sibling->NextSibling())
            ++index;
        steps.insert(steps.begin(), index);
        node = parent;
    }
    return steps;
}

TiXmlNode* NodeAt(TiXmlNode* root, const std::vector<int>& steps)
{
    TiXmlNode* node = root;
    for (int index : steps) {
        TiXmlNode* child = node->FirstChild();
        for (int i = 0; child && i < index; ++i) child = child->NextSibling();
        if (!child) return nullptr;
        node = child;
    }
    return node;
}

// A file within the limits that also stays within them once written back.
bool LoadSettingsFile(const std::string& file, TiXmlDocument& document)
{
    FILE* stream = std::fopen(file.c_str(), "rb");
    bool loaded = tessaly::LoadXmlWithinLimits(stream, document);
    if (stream) std::fclose(stream);
    const size_t limit = static_cast<size_t>(tessaly::kXmlSizeLimit);
    return loaded && tessaly::XmlPrintedSize(document, limit) <= limit;
}

// A write-back after a failed load holds only what was set since: a file that has
// content the system could not read is copied aside first, so that a hand-made
// mistake costs the operator a repair, not the file.
void KeepUnreadable(const std::string& file)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) return;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (data.nFileSizeLow == 0 && data.nFileSizeHigh == 0))
        return;
    TiXmlDocument document;
    if (LoadSettingsFile(file, document)) return;
    CopyFileA(file.c_str(), (file + ".unreadable").c_str(), FALSE);
}

}  // namespace

ofxXmlSettings::ofxXmlSettings() : current(&document), pushLevel(0) {}

ofxXmlSettings::ofxXmlSettings(const ofxXmlSettings& other) : current(&document), pushLevel(0)
{
    *this = other;
}

ofxXmlSettings& ofxXmlSettings::operator=(const ofxXmlSettings& other)
{
    if (this == &other) return *this;
    document = other.document;
    TiXmlNode* node = NodeAt(&document, PositionOf(other.current, &other.document));
    current = node ? node : &document;
    pushLevel = node ? other.pushLevel : 0;
    return *this;
}

ofxXmlSettings::~ofxXmlSettings() = default;

void ofxXmlSettings::setVerbose(bool) {}

bool ofxXmlSettings::loadFile(std::string path)
{
    // A failed load (missing, malformed, too deep, too large as read or as it would be
    // written back) leaves nothing, so every read gives its default and a write-back holds
    // only what was set.
    std::string file = DataPath(path);
    bool loaded = LoadSettingsFile(file, document);
    if (!loaded) document.Clear();
    document.SetValue(file);
    current = &document;
    pushLevel = 0;
    return loaded;
}

void ofxXmlSettings::saveFile(std::string path)
{
    const std::string file = DataPath(path);
    KeepUnreadable(file);
    tessaly::SaveDocumentReplacing(document, file);
}

void ofxXmlSettings::clear()
{
    current->Clear();
}

int ofxXmlSettings::getValue(std::string tag, int defaultValue, int which)
{
    char buffer[kValueLimit + 1] = {};
    if (!readTag(tag, buffer, which)) return defaultValue;
    return static_cast<int>(std::strtol(buffer, nullptr, 0));
}

float ofxXmlSettings::getValue(std::string tag, double defaultValue, int which)
{
    char buffer[kValueLimit + 1] = {};
    if (!readTag(tag, buffer, which)) return static_cast<float>(defaultValue);
    return static_cast<float>(std::strtod(buffer, nullptr));
}

std::string ofxXmlSettings::getValue(std::string tag, std::string defaultValue, int which)
{
    char buffer[kValueLimit + 1] = {};
    if (!readTag(tag, buffer, which)) return defaultValue;
    return buffer;
}

int ofxXmlSettings::setValue(std::string tag, int value, int which)
{
    char text[kNumberBuffer];
    std::snprintf(text, sizeof(text), "%i", value);
    return writeTag(tag, text, which) - 1;
}

int ofxXmlSettings::setValue(std::string tag, double value, int which)
{
    char text[kNumberBuffer];
    std::snprintf(text, sizeof(text), "%f", value);
    return writeTag(tag, text, which) - 1;
}

int ofxXmlSettings::setValue(std::string tag, std::string value, int which)
{
    return writeTag(tag, value.data(), which) - 1;
}

int ofxXmlSettings::addValue(std::string tag, int value)
{
    return setValue(tag, value, -1);
}

int ofxXmlSettings::addValue(std::string tag, double value)
{
    return setValue(tag, value, -1);
}

int ofxXmlSettings::addValue(std::string tag, std::string value)
{
    return setValue(tag, value, -1);
}

int ofxXmlSettings::addTag(std::string tag)
{
    char empty[1] = "";
    return writeTag(tag, empty, -1) - 1;
}

bool ofxXmlSettings::pushTag(std::string tag, int which)
{
    TiXmlElement* element = NthChild(current, FirstName(tag), which);
    if (!element) {
        std::fputs("pushTag - tag not found\n", stdout);
        std::fflush(stdout);
        return false;
    }
    current = element;
    ++pushLevel;
    return true;
}

int ofxXmlSettings::popTag()
{
    TiXmlNode* parent = pushLevel > 0 ? current->Parent() : nullptr;
    if (parent) {
        current = parent;
        --pushLevel;
    } else {
        current = &document;
        pushLevel = 0;
    }
    return pushLevel;
}

int ofxXmlSettings::getPushLevel()
{
    return pushLevel;
}

bool ofxXmlSettings::tagExists(std::string tag, int which)
{
    std::vector<std::string> names = SplitPath(tag);
    return !names.empty() && Walk(current, names, which) != nullptr;
}

int ofxXmlSettings::getNumTags(std::string tag)
{
    return CountChildren(current, FirstName(tag));
}

void ofxXmlSettings::removeTag(std::string tag, int which)
{
    std::vector<std::string> names = SplitPath(tag);
    if (names.empty()) return;
    TiXmlElement* element = Walk(current, names, which);
    if (element) element->Parent()->RemoveChild(element);
}

void ofxXmlSettings::clearTagContents(std::string tag, int which)
{
    // A negative index would make the write append a new element instead of clearing.
    if (which < 0) which = 0;
    if (tagExists(tag, which)) setValue(tag, std::string(), which);
}

bool ofxXmlSettings::readTag(std::string tag, char* buffer, int which)
{
    std::vector<std::string> names = SplitPath(tag);
    TiXmlNode* node = names.empty() ? current : Walk(current, names, which);
    if (!node) return false;
    TiXmlNode* first = node->FirstChild();
    if (!first || !first->ToText()) return false;
    const std::string& text = first->ValueStr();
    size_t length = text.size() < kValueLimit ? text.size() : kValueLimit;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return true;
}

int ofxXmlSettings::writeTag(std::string tag, char* valueText, int which)
{
    std::vector<std::string> names = SplitPath(tag);
    // Without a name there is nowhere to write.
    if (names.empty()) return 0;
    const char* text = valueText ? valueText : "";
    bool append = which == -1;

    TiXmlNode* node = current;
    for (size_t i = 0; i < names.size(); ++i) {
        TiXmlElement* child = (i == 0 && append) ? nullptr : NthChild(node, names[i], i == 0 ? which : 0);
        if (!child) {
            TiXmlElement* top = new TiXmlElement(names[i]);
            TiXmlElement* deepest = top;
            for (size_t j = i + 1; j < names.size(); ++j)
                deepest = deepest->LinkEndChild(new TiXmlElement(names[j]))->ToElement();
            deepest->LinkEndChild(new TiXmlText(text));
            node->LinkEndChild(top);
            break;
        }
        node = child;
        if (i + 1 == names.size()) {
            child->Clear();
            child->LinkEndChild(new TiXmlText(text));
        }
    }
    return CountChildren(current, names[0]);
}
