#include "core/text/XmlFileLimits.h"

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tessaly {
namespace {

// Walks a text as TinyXML's parser does, with the parser's own readers for everything
// that is not an element, and counts the elements it would have recursed into. Any
// place where the parser would stop ends the walk.
class NestingProbe : public TiXmlDocument {
public:
    int Measure(const char* p, int limit, TiXmlEncoding encoding, const char** beyond)
    {
        if (!p || !*p) return 0;
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(p);
        if (encoding == TIXML_ENCODING_UNKNOWN && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
            encoding = TIXML_ENCODING_UTF8;

        std::vector<std::string> endTags;  // of the elements open around `p`
        int deepest = 0;
        p = SkipWhiteSpace(p, encoding);
        const char* withWhiteSpace = p;
        while (p && *p) {
            if (!endTags.empty() && *p != '<') {
                TiXmlText text("");
                p = text.Parse(IsWhiteSpaceCondensed() ? p : withWhiteSpace, nullptr, encoding);
            } else if (!endTags.empty() && StringEqual(p, "</", false, encoding)) {
                if (!StringEqual(p, endTags.back().c_str(), false, encoding)) break;
                p = SkipWhiteSpace(p + endTags.back().size(), encoding);
                if (!p || *p != '>') break;
                ++p;
                endTags.pop_back();
            } else {
                std::unique_ptr<TiXmlNode> node(Identify(p, encoding));
                if (!node) break;
                if (node->ToElement()) {
                    // The parser enters an element, empty or not, one level down.
                    int depth = static_cast<int>(endTags.size()) + 1;
                    if (depth > deepest) deepest = depth;
                    if (deepest > limit) {
                        if (beyond) *beyond = p;
                        break;
                    }
                    p = StartTag(p, encoding, endTags);
                } else {
                    p = node->Parse(p, nullptr, encoding);
                    if (endTags.empty() && encoding == TIXML_ENCODING_UNKNOWN && node->ToDeclaration())
                        encoding = EncodingOf(*node->ToDeclaration());
                }
            }
            withWhiteSpace = p;
            p = SkipWhiteSpace(p, encoding);
        }
        return deepest;
    }

private:
    // An element's start tag with its attributes; an element that is not empty stays open.
    const char* StartTag(const char* p, TiXmlEncoding encoding, std::vector<std::string>& endTags)
    {
        p = SkipWhiteSpace(p, encoding);
        if (!p || *p != '<') return nullptr;
        std::string name;
        p = ReadName(SkipWhiteSpace(p + 1, encoding), &name, encoding);
        if (!p || !*p) return nullptr;
        std::set<std::string> attributes;  // the parser stops at a repeated one
        for (;;) {
            p = SkipWhiteSpace(p, encoding);
            if (!p || !*p) return nullptr;
            if (*p == '/') return p[1] == '>' ? p + 2 : nullptr;
            if (*p == '>') {
                endTags.push_back("</" + name);
                return p + 1;
            }
            TiXmlAttribute attribute;
            p = attribute.Parse(p, nullptr, encoding);
            if (!p || !*p || !attributes.insert(attribute.NameTStr()).second) return nullptr;
        }
    }

    static TiXmlEncoding EncodingOf(const TiXmlDeclaration& declaration)
    {
        const char* name = declaration.Encoding();
        if (!*name || StringEqual(name, "UTF-8", true, TIXML_ENCODING_UNKNOWN) ||
            StringEqual(name, "UTF8", true, TIXML_ENCODING_UNKNOWN))
            return TIXML_ENCODING_UTF8;
        return TIXML_ENCODING_LEGACY;
    }
};

size_t EncodedSize(const std::string& text)
{
    std::string encoded;
    TiXmlBase::EncodeString(text, &encoded);
    return encoded.size();
}

// One node as TinyXML prints it, with room to spare for line ends and quotes.
size_t PrintedSize(const TiXmlNode& node, size_t indent)
{
    if (const TiXmlElement* element = node.ToElement()) {
        size_t size = 2 * (indent + element->ValueStr().size()) + 8;
        for (const TiXmlAttribute* attribute = element->FirstAttribute(); attribute; attribute = attribute->Next())
            size += attribute->NameTStr().size() + EncodedSize(attribute->ValueStr()) + 4;
        return size;
    }
    if (const TiXmlText* text = node.ToText())
        return indent + (text->CDATA() ? text->ValueStr().size() + 16 : EncodedSize(text->ValueStr())) + 2;
    if (const TiXmlDeclaration* declaration = node.ToDeclaration())
        return indent + std::strlen(declaration->Version()) + std::strlen(declaration->Encoding()) +
               std::strlen(declaration->Standalone()) + 64;
    return indent + node.ValueStr().size() + 16;  // comment or unknown markup
}

}  // namespace

size_t XmlPrintedSize(const TiXmlDocument& document, size_t limit)
{
    size_t total = 0;
    size_t depth = 0;
    const TiXmlNode* node = document.FirstChild();
    while (node && total <= limit) {
        total += PrintedSize(*node, 4 * depth);
        if (const TiXmlNode* child = node->FirstChild()) {
            node = child;
            ++depth;
            continue;
        }
        while (node != &document && !node->NextSibling()) {
            node = node->Parent();
            --depth;
        }
        node = node == &document ? nullptr : node->NextSibling();
    }
    return total;
}

int XmlNestingDepth(const char* text, int limit, TiXmlEncoding encoding, const char** beyond)
{
    NestingProbe probe;
    return probe.Measure(text, limit, encoding, beyond);
}

bool StepsAsUtf8(const char* text, size_t length)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < length; ++i) {
        size_t following = bytes[i] >= 0xC0 && bytes[i] <= 0xDF   ? 1
                           : bytes[i] >= 0xE0 && bytes[i] <= 0xEF ? 2
                           : bytes[i] >= 0xF0 && bytes[i] <= 0xF7 ? 3
                                                                  : 0;
        for (; following > 0; --following) {
            if (++i >= length || bytes[i] < 0x80 || bytes[i] > 0xBF) return false;
        }
    }
    return true;
}

bool DeclarationPrintsBack(const TiXmlDocument& document)
{
    for (const TiXmlNode* node = document.FirstChild(); node; node = node->NextSibling()) {
        const TiXmlDeclaration* declaration = node->ToDeclaration();
        if (!declaration) continue;
        for (const char* value : {declaration->Version(), declaration->Encoding(), declaration->Standalone()}) {
            for (const unsigned char* c = reinterpret_cast<const unsigned char*>(value); *c; ++c) {
                if (*c < 0x20 || *c == '<' || *c == '>' || *c == '"' || *c == '&') return false;
            }
        }
    }
    return true;
}

bool LoadXmlWithinLimits(FILE* file, TiXmlDocument& document)
{
    document.Clear();
    document.ClearError();
    if (!file) return document.LoadFile(file);
    std::fseek(file, 0, SEEK_END);
    long length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    // An empty or unmeasurable file: TinyXML's own answer, without reading.
    if (length <= 0) return document.LoadFile(file);
    if (length > kXmlSizeLimit) return false;

    // Padded with NULs: the parser's reading of a multi-byte character may step up to
    // three bytes past the end of a truncated text.
    std::vector<char> buffer(static_cast<size_t>(length) + 8, '\0');
    if (std::fread(buffer.data(), static_cast<size_t>(length), 1, file) != 1) return false;
    // Line ends as TinyXML's loading normalises them: CR LF and a lone CR become LF.
    char* out = buffer.data();
    for (const char* in = buffer.data(); *in;) {
        if (*in == '\r') {
            *out++ = '\n';
            if (*++in == '\n') ++in;
        } else {
            *out++ = *in++;
        }
    }
    *out = '\0';

    // Read as UTF-8, a lead byte takes the next bytes with it whatever they are, so a
    // quote or a '<' it swallows comes back as markup once the text is written out again.
    // Such a file is read byte for byte, as a file in the system's code page is.
    const char* text = buffer.data();
    TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING;
    if (!StepsAsUtf8(text, static_cast<size_t>(out - text))) {
        encoding = TIXML_ENCODING_LEGACY;
        if (std::strncmp(text, "\xEF\xBB\xBF", 3) == 0) text += 3;  // only UTF-8 reading skips it
    }
    if (XmlNestingDepth(text, kXmlDepthLimit, encoding) > kXmlDepthLimit) return false;
    document.Parse(text, nullptr, encoding);
    // A declaration is written back without escapes: one whose values hold markup (a
    // mismatched quote swallows the file into it) would be read differently next time.
    if (!document.Error() && !DeclarationPrintsBack(document)) {
        document.Clear();
        return false;
    }
    if (document.Error()) {
        document.Clear();
        return false;
    }
    return true;
}

}  // namespace tessaly
