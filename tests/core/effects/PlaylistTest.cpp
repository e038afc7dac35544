#include <gtest/gtest.h>

#include <windows.h>

#include <cfloat>
#include <string>
#include <vector>

#include "framework/CurrentDirectoryScope.h"
#include "core/effects/Playlist.h"
#include "core/effects/PlaylistEditing.h"
#include "core/library/TessalyApi.h"
#include "core/text/XmlFileLimits.h"
#include "tests/support/TempFolder.h"

using testing_support::TempFolder;

namespace {

// `text` in the ANSI code page, or empty when some character has no place in it.
std::string Ansi(const std::wstring& text)
{
    if (text.empty()) return std::string();
    const UINT codePage = GetACP();
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultReport = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, nullptr, 0, nullptr, usedDefaultReport);
    std::string bytes(needed > 0 ? needed : 0, '\0');
    if (needed <= 0 || usedDefault) return std::string();
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, &bytes[0], needed, nullptr, nullptr);
    return bytes;
}

struct Row {
    std::wstring path;
    float time;
};

// The rows in order, each with its path and its time to the bit.
void ExpectRows(const std::vector<Row>& rows, const std::vector<Row>& expected)
{
    ASSERT_EQ(expected.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(expected[i].path, rows[i].path) << i;
        EXPECT_EQ(expected[i].time, rows[i].time) << i;
    }
}

std::vector<Row> Rows(const EffectList& list)
{
    std::vector<Row> rows;
    for (const EffectEntry& entry : list) rows.push_back({entry.path, entry.time});
    return rows;
}

class PlaylistFileTest : public testing::Test {
protected:
    PlaylistFileTest()
    {
        a_ = folder_.WriteFile(L"fx\\a\\a.exe", "");
        b_ = folder_.WriteFile(L"fx\\b\\show.cmd", "");
        c_ = folder_.WriteFile(L"fx\\c\\effect.exe", "");
        missing_ = folder_.Path() + L"\\fx\\a\\gone.exe";
    }

    // Loads `xml` as the playlist into a list that already holds a stale entry.
    std::vector<Row> Load(const std::string& xml)
    {
        const std::wstring file = folder_.WriteFile(L"data\\EffectPath.xml", xml);
        EffectList list(1, EffectEntry{L"stale", 1.0f});
        tessaly::LoadPlaylist(file.c_str(), list);
        return Rows(list);
    }

    std::string A() const { return Ansi(a_); }
    std::string B() const { return Ansi(b_); }
    std::string C() const { return Ansi(c_); }
    std::string Missing() const { return Ansi(missing_); }

    TempFolder folder_;
    std::wstring a_, b_, c_, missing_;
};

TEST_F(PlaylistFileTest, EntriesOfAnyNameAndTagsInAnyCaseLoadInOrder)
{
    const std::vector<Row> rows = Load(
        "<Playlist>\n"
        "  <Item><FILE>" + A() + "</FILE><TIME>2.5</TIME></Item>\n"
        "  <!-- operators leave notes here -->\n"
        "  <effect><File>" + B() + "</File><Time>8</Time></effect>\n"
        "  <Effect><time>1.5</time><file>" + C() + "</file><note>x</note></Effect>\n"
        "</Playlist>\n");
    ExpectRows(rows, {{a_, 2.5f}, {b_, 8.0f}, {c_, 1.5f}});
}

TEST_F(PlaylistFileTest, TimeIsItsLeadingNumberOrZero)
{
    const std::vector<Row> rows = Load(
        "<Effects>"
        "<Effect><file>" + A() + "</file></Effect>"
        "<Effect><file>" + A() + "</file><time>soon</time></Effect>"
        "<Effect><file>" + A() + "</file><time> 3.25 minutes</time></Effect>"
        "<Effect><file>" + A() + "</file><time></time></Effect>"
        "<Effect><file>" + A() + "</file><time><b>5</b></time></Effect>"
        "</Effects>");
    ExpectRows(rows, {{a_, 0.0f}, {a_, 0.0f}, {a_, 3.25f}, {a_, 0.0f}, {a_, 0.0f}});
}

// A time beyond the float range used to become infinite, which the effect page saved as
// "1.#INF" and the next load read as 1 minute.
TEST_F(PlaylistFileTest, TimesBeyondTheFloatRangeAreHeldAtItsEndsAndSurviveThePagesSave)
{
    const std::vector<Row> rows = Load(
        "<Effects>"
        "<Effect><file>" + A() + "</file><time>1e39</time></Effect>"
        "<Effect><file>" + B() + "</file><time>-1e39</time></Effect>"
        "<Effect><file>" + C() + "</file><time>1" + std::string(400, '0') + "</time></Effect>"
        "</Effects>");
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ(FLT_MAX, rows[0].time);
    EXPECT_EQ(-FLT_MAX, rows[1].time);
    EXPECT_EQ(FLT_MAX, rows[2].time);

    std::vector<tessaly::PlaylistRow> page;
    for (const Row& row : rows) page.push_back({row.path, tessaly::TimeText(row.time)});
    const std::wstring file = folder_.Path() + L"\\data\\EffectPath.xml";
    ASSERT_TRUE(tessaly::SavePlaylist(page, file.c_str()));
    EffectList again;
    ASSERT_TRUE(tessaly::LoadPlaylist(file.c_str(), again));
    ASSERT_EQ(3u, again.size());
    for (size_t i = 0; i < again.size(); ++i) EXPECT_EQ(rows[i].time, again[i].time) << i;
    EXPECT_EQ(FLT_MAX, tessaly::PlaylistOf({{a_, L"1e39"}})[0].time);
}

TEST_F(PlaylistFileTest, LaterChildOfTheSameNameWins)
{
    const std::vector<Row> rows = Load(
        "<Effects>"
        "<Effect><file>" + Missing() + "</file><time>3</time><FILE>" + A() + "</FILE><time>4</time></Effect>"
        "<Effect><file>" + B() + "</file><file>" + Missing() + "</file></Effect>"
        "<Effect><file>" + C() + "</file><file></file></Effect>"
        "</Effects>");
    // An empty element has no text and so does not count.
    ExpectRows(rows, {{a_, 4.0f}, {missing_, 0.0f}, {c_, 0.0f}});
}

// A program on a drive that is not plugged in must survive the effect page's next save.
TEST_F(PlaylistFileTest, EntriesWhoseProgramIsMissingAreKeptEntriesWithoutFileAreNot)
{
    const std::vector<Row> rows = Load(
        "<Effects>"
        "<Effect><file>" + Missing() + "</file><time>2</time></Effect>"
        "<Effect><file>" + B() + "</file><time>3</time></Effect>"
        "<Effect><time>4</time></Effect>"
        "<Effect><file>" + Ansi(folder_.Path() + L"\\nowhere\\effect.exe") + "</file></Effect>"
        "<Effect><file>" + C() + "</file><time>5</time></Effect>"
        "</Effects>");
    ExpectRows(rows,
               {{missing_, 2.0f}, {b_, 3.0f}, {folder_.Path() + L"\\nowhere\\effect.exe", 0.0f}, {c_, 5.0f}});
}

TEST_F(PlaylistFileTest, FilesWithoutUsableContentGiveAnEmptyList)
{
    const std::string entry = "<Effect><file>" + A() + "</file><time>2</time></Effect>";
    const struct {
        const char* what;
        std::string xml;
    } cases[] = {
        {"empty file", ""},
        {"blanks only", "  \r\n\t"},
        {"unclosed root", "<Effects>" + entry},
        {"mismatched tags", "<Effects>" + entry + "</Effect>"},
        {"only a declaration", "<?xml version=\"1.0\"?>"},
        {"only a comment", "<!-- " + entry + " -->"},
        {"plain text", "not a playlist"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(Load(c.xml).empty()) << c.what;
    }

    EffectList list(1, EffectEntry{L"stale", 1.0f});
    EXPECT_FALSE(tessaly::LoadPlaylist((folder_.Path() + L"\\data\\none.xml").c_str(), list));
    EXPECT_TRUE(list.empty());
}

// A hand edit gone wrong costs the operator nothing: the page's save keeps the unreadable
// file beside it (an earlier copy is never replaced) before it writes its rows.
TEST_F(PlaylistFileTest, ASaveOverAnUnreadableFileKeepsItBeside)
{
    const std::string spoilt = "<Effects><Effect><file>" + A() + "</file><time>2</tim></Effect></Effects>";
    const std::wstring file = folder_.WriteFile(L"data\\EffectPath.xml", spoilt);
    EffectList list;
    std::wstring problem;
    ASSERT_FALSE(tessaly::LoadPlaylist(file.c_str(), list, &problem));
    EXPECT_EQ(problem.rfind(L"line 1: ", 0), 0u) << std::string(problem.begin(), problem.end());

    for (const wchar_t* copy : {L"data\\EffectPath.unreadable.xml", L"data\\EffectPath.unreadable.1.xml"}) {
        folder_.WriteFile(L"data\\EffectPath.xml", spoilt);
        ASSERT_TRUE(tessaly::SavePlaylist({{b_, L"3"}}, file.c_str()));
        EXPECT_EQ(folder_.Read(copy), spoilt);
        ASSERT_TRUE(tessaly::LoadPlaylist(file.c_str(), list));
        EXPECT_EQ(list.size(), 1u);
    }
    ASSERT_TRUE(tessaly::SavePlaylist({{c_, L"3"}}, file.c_str()));
    EXPECT_EQ(GetFileAttributesW((folder_.Path() + L"\\data\\EffectPath.unreadable.2.xml").c_str()),
              INVALID_FILE_ATTRIBUTES)
        << "a readable file is replaced without a copy";
}

// Far beyond any real playlist: refused before parsing, with the result of a malformed file.
TEST_F(PlaylistFileTest, DeepOrHugeFilesGiveAnEmptyList)
{
    const std::string playlist = "<Effects><Effect><file>" + A() + "</file><time>2</time></Effect></Effects>";
    std::string abyss = "<Effects>";
    for (int level = 0; level < 1000000; ++level) abyss += "<Effect>";
    const std::string padding = "\n<!--" + std::string(static_cast<size_t>(tessaly::kXmlSizeLimit), '.') + "-->";

    for (const std::string& xml : {abyss, playlist + padding}) {
        const std::wstring file = folder_.WriteFile(L"data\\EffectPath.xml", xml);
        EffectList list(1, EffectEntry{L"stale", 1.0f});
        EXPECT_FALSE(tessaly::LoadPlaylist(file.c_str(), list)) << xml.size() << " bytes";
        EXPECT_TRUE(list.empty());
    }
    EXPECT_EQ(Load(playlist + padding.substr(0, 1000) + "-->").size(), 1u);
}

// Pads `folder\name` with "." steps to exactly `length` characters; it still names the file.
std::wstring PathOfLength(const std::wstring& folder, const std::wstring& name, size_t length)
{
    std::wstring path = folder + L"\\";
    size_t pad = length - path.size() - name.size();
    if (pad % 2 == 1) {
        path += L"x\\..\\";
        pad -= 5;
    }
    for (; pad > 0; pad -= 2) path += L".\\";
    return path + name;
}

TEST_F(PlaylistFileTest, PathsThatDoNotFitAnEntryAreLeftOut)
{
    const std::wstring folder = folder_.Path() + L"\\fx\\a";
    const std::wstring longest = PathOfLength(folder, L"a.exe", 259);
    const std::wstring tooLong = PathOfLength(folder, L"a.exe", 260);
    const std::wstring farTooLong = PathOfLength(folder, L"a.exe", 700);
    ASSERT_EQ(259u, longest.size());
    ASSERT_EQ(260u, tooLong.size());

    const std::vector<Row> rows = Load(
        "<Effects>"
        "<Effect><file>" + Ansi(tooLong) + "</file><time>1</time></Effect>"
        "<Effect><file>" + Ansi(longest) + "</file><time>2</time></Effect>"
        "<Effect><file>" + Ansi(farTooLong) + "</file><time>3</time></Effect>"
        "<Effect><file>" + B() + "</file><time>4</time></Effect>"
        "</Effects>");
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(longest, rows[0].path);
    EXPECT_FLOAT_EQ(2.0f, rows[0].time);
    EXPECT_EQ(b_, rows[1].path);
    EXPECT_FLOAT_EQ(4.0f, rows[1].time);
}

TEST_F(PlaylistFileTest, PathsAreReadInTheAnsiCodePage)
{
    // Whichever of these the test machine's ANSI code page can hold.
    const wchar_t* const names[] = {L"\u6548\u679C", L"\u00E9t\u00E9", L"\u0416\u0430\u0440"};
    std::wstring path;
    std::string ansiPath;
    for (const wchar_t* name : names) {
        const std::wstring candidate = folder_.Path() + L"\\" + name + L"\\effect.exe";
        ansiPath = Ansi(candidate);
        if (!ansiPath.empty()) {
            path = candidate;
            break;
        }
    }
    if (path.empty()) GTEST_SKIP() << "no test name fits code page " << GetACP();
    folder_.WriteFile(path.substr(folder_.Path().size() + 1), "");
    RecordProperty("AnsiCodePage", static_cast<int>(GetACP()));

    const std::vector<Row> rows = Load("<Effects><Effect><file>" + ansiPath + "</file><time>1.5</time></Effect></Effects>");
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(path, rows[0].path);
}

TEST(LibraryPlaylist, LoadsFromTheCurrentFolderIntoTheSameList)
{
    TempFolder folder;
    const std::string program = Ansi(folder.WriteFile(L"fx\\effect.exe", ""));
    const std::string entry = "<Effect><file>" + program + "</file><time>1.5</time></Effect>";
    kit::CurrentDirectoryScope inInstallation(folder.Path());

    EffectList* const list = GetEffectPlayInfo();
    folder.WriteFile(L"data\\EffectPath.xml", "<Effects>" + entry + "</Effects>");
    AnalysisEffectXml();
    ASSERT_EQ(1u, list->size());

    folder.WriteFile(L"data\\EffectPath.xml", "<Effects>" + entry + entry + "</Effects>");
    AnalysisEffectXml();
    EXPECT_EQ(list, GetEffectPlayInfo());
    EXPECT_EQ(2u, list->size());

    DeleteFileW((folder.Path() + L"\\data\\EffectPath.xml").c_str());
    AnalysisEffectXml();
    EXPECT_EQ(list, GetEffectPlayInfo());
    EXPECT_TRUE(list->empty());
}

}  // namespace
