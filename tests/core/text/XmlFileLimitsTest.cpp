#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <tinyxml.h>

#include "core/text/XmlFileLimits.h"
#include "core/text/ofxXmlSettings.h"
#include "tests/support/InstallFolder.h"
#include "tests/support/TempFolder.h"

using tessaly::kXmlDepthLimit;
using tessaly::kXmlSizeLimit;

namespace {

// How deep the parser's tree goes. A failed parse keeps every element it entered, so
// this is also how deep the parser went before it stopped.
int TreeDepth(const TiXmlNode& node)
{
    int deepest = 0;
    for (const TiXmlNode* child = node.FirstChild(); child; child = child->NextSibling()) {
        int depth = TreeDepth(*child);
        if (depth > deepest) deepest = depth;
    }
    return node.ToElement() ? deepest + 1 : deepest;
}

std::string Repeated(const std::string& part, int count)
{
    std::string text;
    text.reserve(part.size() * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) text += part;
    return text;
}

// Elements `depth` deep with a value at the bottom.
std::string Nested(int depth)
{
    return "<A>" + Repeated("<n>", depth - 2) + "<V>5</V>" + Repeated("</n>", depth - 2) + "</A>";
}

// `xml` with a comment after it that makes the whole exactly `size` bytes.
std::string PaddedTo(const std::string& xml, long size)
{
    const std::string open = "\n<!--", close = "-->";
    return xml + open + std::string(static_cast<size_t>(size) - xml.size() - open.size() - close.size(), '.') + close;
}

}  // namespace

// The depth is measured before parsing, so it must not fall short of the parser's own,
// whatever hides markup from the parser or makes it give up early.
TEST(XmlNestingDepth, ReachesAtLeastWhereTheParserGoes)
{
    const char* const cases[] = {
        "<a><b/><c></c><d><e>x</e></d></a>",
        "<a t=\"/>\"><b t='</a>'><c u=\"<d><d><d>\"/></b></a>",
        "<a><!-- <b><c><d> --><e/></a>",
        "<a><![CDATA[<b><c>]]]]><d/></a>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE a><a><b>\xe4\xb8\xad</b></a>",
        "\xef\xbb\xbf<a>\xf0<b>\xf0</b><c><d/></c></a>",
        "<?xml version=\"1.0\" encoding=\"GBK\"?><a>\xf0<b>\xd6\xd0<c/></b></a>",
        "<?xml version='>' ?><a><b><c></c></b></a>",
        "<a><b>text<c>more</c>tail</b></a>< x><y/>",
        "<a></b><c><d><e>",
        "<a><b><c><d><e>",
        "<a b=c><d><e>",
        "<a b=\"1\" b=\"2\"><c><d>",
        "<a><b></ b><c><d>",
        "<_a><\xc3\xa9><:x></:x></\xc3\xa9></_a>",
        "</a><a><b><c>",
        "text<a><b>",
        "",
    };
    for (const char* text : cases) {
        TiXmlDocument document;
        document.Parse(text);
        EXPECT_EQ(tessaly::XmlNestingDepth(text, 1000), TreeDepth(document)) << text;
    }
    std::string deep = Repeated("<a x='>'>", 300);
    EXPECT_EQ(tessaly::XmlNestingDepth(deep.c_str(), 1000), 300);
    EXPECT_EQ(tessaly::XmlNestingDepth(deep.c_str(), 10), 11) << "stops once past the limit";
}

TEST(XmlFileLimits, DeepOrHugeSettingsFilesLoadAsMalformedOnes)
{
    testing_support::InstallFolder folder(L"xml-limits");
    ofxXmlSettings settings;

    folder.Write(L"data\\deepest.xml", Nested(kXmlDepthLimit));
    EXPECT_TRUE(settings.loadFile("deepest.xml"));
    EXPECT_TRUE(settings.tagExists("A", 0));

    folder.Write(L"data\\deeper.xml", Nested(kXmlDepthLimit + 1));
    EXPECT_FALSE(settings.loadFile("deeper.xml"));
    EXPECT_FALSE(settings.tagExists("A", 0));

    // Far past the stack: unclosed, as a parser recursing into it would meet it.
    folder.Write(L"data\\abyss.xml", "<A>" + Repeated("<n>", 1000000));
    EXPECT_FALSE(settings.loadFile("abyss.xml"));
    EXPECT_EQ(-1, settings.getValue("A:V", -1, 0));

    // Near the limit, and written back and read again.
    folder.Write(L"data\\largest.xml", PaddedTo("<A><V>5</V></A>", kXmlSizeLimit - 1024));
    EXPECT_TRUE(settings.loadFile("largest.xml"));
    settings.setValue("A:W", 6, 0);
    settings.saveFile("largest.xml");
    EXPECT_TRUE(settings.loadFile("largest.xml"));
    EXPECT_EQ(5, settings.getValue("A:V", -1, 0));
    EXPECT_EQ(6, settings.getValue("A:W", -1, 0));

    // Within both limits as read, but its write-back, indented four blanks per level,
    // would not be: what loads must load again once saved.
    folder.Write(L"data\\indented.xml", "<A><V>5</V></A>" + Repeated(Nested(250), 300));
    EXPECT_FALSE(settings.loadFile("indented.xml"));
    EXPECT_EQ(-1, settings.getValue("A:V", -1, 0));

    folder.Write(L"data\\larger.xml", PaddedTo("<A><V>5</V></A>", kXmlSizeLimit + 1));
    EXPECT_FALSE(settings.loadFile("larger.xml"));
    EXPECT_EQ(-1, settings.getValue("A:V", -1, 0));
}

// Loading goes through a buffer of its own: within the limits it must give what the
// parser's own file loading gives, line ends and text after a NUL included.
TEST(XmlFileLimits, FilesWithinTheLimitsLoadAsTheParserLoadsThem)
{
    testing_support::TempFolder folder(L"xml-within");
    const struct {
        std::string bytes;
        bool loads;
    } cases[] = {
        {"<A>\r\n<V>one\rtwo\r\nthree</V>\r<W>\xe4\xb8</W></A>\r\n", true},
        {"\xef\xbb\xbf<A><V>\xe4\xb8\xad&#x4E2D;</V></A>", true},
        {"<?xml version=\"1.0\" encoding=\"GBK\"?>\n<A>\xd6\xd0</A>", true},
        {std::string("<A><V>1</V></A>\0<B>", 19), true},
        {"<!-- only -->", true},
        {"<A><V>1</V>", false},
        {"", false},
        {"\r", false},
    };
    for (const auto& c : cases) {
        const std::string& bytes = c.bytes;
        const std::wstring path = folder.WriteFile(L"case.xml", bytes);
        TiXmlDocument ours, theirs;
        FILE* file = _wfopen(path.c_str(), L"rb");
        ASSERT_NE(file, nullptr);
        bool oursLoaded = tessaly::LoadXmlWithinLimits(file, ours);
        bool theirsLoaded = theirs.LoadFile(file);
        std::fclose(file);
        EXPECT_EQ(oursLoaded, c.loads) << bytes;
        EXPECT_EQ(theirsLoaded, c.loads) << bytes;
        if (!theirsLoaded) continue;
        std::string oursText, theirsText;
        oursText << ours;
        theirsText << theirs;
        EXPECT_EQ(oursText, theirsText) << bytes;
    }
}

// What a settings file read gives must be what it gives again once written back: bytes
// that a UTF-8 reading would run together with the markup after them are read one by
// one (the code page's names stay as they are), and a file that cannot be read so is
// kept aside before a write-back replaces it.
TEST(XmlFileLimits, WhatLoadsReadsTheSameOnceWrittenBack)
{
    testing_support::InstallFolder folder(L"xml-round-trip");
    const char* const declaration = "<?xml version=\"1.0\" ?>\n";
    const struct {
        const char* body;
        const char* value;  // of A:V as the first load reads it
    } kept[] = {
        {"<A><V>\xE0\xB0</V><W>2</W></A>", "\xE0\xB0"},   // a code-page name before an end tag
        {"<A><V>x\xE1\"y</V><W>2</W></A>", "x\xE1\"y"},     // a lead byte before a quote
        {"<A><V>\xC3&gt;</V><W>2</W></A>", "\xC3>"},        // before an escaped '>'
        {"<A><V>\xF0\x13</V><W>2</W></A>", "\xF0\x13"},     // before a control byte
        {"<A><V>\xE4\xB8\xAD</V><W>2</W></A>", "\xE4\xB8\xAD"},  // well-formed UTF-8 as before
    };
    for (const auto& c : kept) {
        folder.Write(L"data\\round.xml", std::string(declaration) + c.body);
        ofxXmlSettings settings;
        ASSERT_TRUE(settings.loadFile("round.xml")) << c.body;
        EXPECT_EQ(settings.getValue("A:V", std::string("-"), 0), c.value) << c.body;
        settings.setValue("A:X", 3, 0);
        settings.saveFile("round.xml");
        ASSERT_TRUE(settings.loadFile("round.xml")) << c.body;
        EXPECT_EQ(settings.getValue("A:V", std::string("-"), 0), c.value) << c.body;
        EXPECT_EQ(settings.getValue("A:W", 0, 0), 2) << c.body;
        EXPECT_EQ(settings.getValue("A:X", 0, 0), 3) << c.body;
        EXPECT_FALSE(folder.Exists(L"data\\round.xml.unreadable")) << c.body;
    }

    const std::string unreadable[] = {
        // A mismatched quote in the declaration swallows the file into it.
        "<?xml version='1.0\" ?>\n<A><V>1</V><W>2</W></A>",
        // A lead byte before a NUL, which the parser would step over.
        std::string(declaration) + std::string("<A><V>camer\xE1\0x</V><W>2</W></A>", 29),
    };
    for (const std::string& bytes : unreadable) {
        folder.Write(L"data\\broken.xml", bytes);
        ofxXmlSettings settings;
        EXPECT_FALSE(settings.loadFile("broken.xml")) << bytes;
        EXPECT_EQ(settings.getValue("A:W", 0, 0), 0) << bytes;
        settings.setValue("A:X", 3, 0);
        settings.saveFile("broken.xml");
        EXPECT_EQ(folder.Read(L"data\\broken.xml.unreadable"), bytes);
        ASSERT_TRUE(settings.loadFile("broken.xml")) << bytes;
        EXPECT_EQ(settings.getValue("A:X", 0, 0), 3) << bytes;
        EXPECT_EQ(settings.getValue("A:W", 0, 0), 0) << bytes;
    }

    // Nothing to keep: a missing or empty file is simply written.
    folder.Write(L"data\\empty.xml", "");
    ofxXmlSettings settings;
    settings.saveFile("empty.xml");
    settings.saveFile("missing.xml");
    EXPECT_FALSE(folder.Exists(L"data\\empty.xml.unreadable"));
    EXPECT_FALSE(folder.Exists(L"data\\missing.xml.unreadable"));
}
