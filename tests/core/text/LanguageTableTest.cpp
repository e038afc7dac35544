#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstdio>
#include <string>

#include "core/library/TessalyApi.h"
#include "core/text/LanguageTable.h"
#include "tests/support/MessageBoxRecorder.h"

namespace {

using tessaly::LanguageTable;

// Language files in a folder of the test's own under the temporary folder.
class LanguageFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
        wchar_t name[64];
        _snwprintf(name, 63, L"pavora-language-%lu", GetCurrentProcessId());
        name[63] = L'\0';
        folder_ = std::wstring(temp) + name;
        CreateDirectoryW(folder_.c_str(), nullptr);
        path_ = folder_ + L"\\language.txt";
    }

    void TearDown() override
    {
        DeleteFileW(path_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    void WriteBytes(const std::string& bytes)
    {
        FILE* file = _wfopen(path_.c_str(), L"wb");
        ASSERT_NE(nullptr, file);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }

    // UTF-16 LE, with the byte-order mark unless told otherwise.
    void WriteText(const std::wstring& text, bool byteOrderMark = true)
    {
        std::string bytes = byteOrderMark ? std::string("\xff\xfe") : std::string();
        for (wchar_t unit : text) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>((unit >> 8) & 0xFF);
        }
        WriteBytes(bytes);
    }

    void Load(int language) { table_.Load(path_.c_str(), language); }
    std::wstring Text(const wchar_t* id) { return table_.Lookup(id).GetBase(); }

    std::wstring folder_;
    std::wstring path_;
    LanguageTable table_;
};

}  // namespace

TEST_F(LanguageFileTest, LanguageColumns)
{
    WriteText(L"26`设置` `Settings`\n5`五` `five\n7`七`\n");
    Load(1);
    EXPECT_EQ(L"设置", Text(L"26"));
    EXPECT_EQ(L"五", Text(L"5"));
    Load(2);
    EXPECT_EQ(L"Settings", Text(L"26"));
    EXPECT_EQ(L"five", Text(L"5"));
    EXPECT_EQ(L"7", Text(L"7"));  // the line ends before column 2
    Load(3);
    EXPECT_EQ(L"26", Text(L"26"));
    EXPECT_EQ(L"five", Text(L"5"));  // an unclosed last text serves every later column
    Load(0);
    EXPECT_EQ(L"设置", Text(L"26"));
}

// The walk to a column must not depend on the column's number: a value such as
// 1000000000 once walked billions of times per line, and 2n - 1 overflowed beyond it.
TEST_F(LanguageFileTest, AbsurdLanguageNumbersReadTheLastTextAtOnce)
{
    std::wstring text = L"26`设置` `Settings`\n";
    for (int line = 0; line < 20; ++line) text += std::to_wstring(100 + line) + L"`一` `unclosed\n";
    WriteText(text);
    for (int language : {1000000000, 1073741824, INT_MAX}) {
        DWORD start = GetTickCount();
        Load(language);
        EXPECT_LT(GetTickCount() - start, 2000u) << language;
        EXPECT_EQ(L"26", Text(L"26")) << language;  // a closed last text gives nothing beyond it
        EXPECT_EQ(L"unclosed", Text(L"119")) << language;
    }
}

TEST_F(LanguageFileTest, CommentsAndKeyNormalisation)
{
    WriteText(L"; 1`semicolon`\n"
              L"/2`slash`\n"
              L"中3`chinese`\n"
              L"\t 4`tab then blank`\n"
              L"  \t5`blanks then tab`\n"
              L"0026`leading zeros`\n"
              L"Ab`hex letter`\n"
              L"\n"
              L"12 2`junk before the text`\n");
    Load(1);
    EXPECT_EQ(L"1", Text(L"1"));
    EXPECT_EQ(L"2", Text(L"2"));
    EXPECT_EQ(L"3", Text(L"3"));
    EXPECT_EQ(L"4", Text(L"4"));
    EXPECT_EQ(L"blanks then tab", Text(L"5"));
    EXPECT_EQ(L"leading zeros", Text(L"26"));
    EXPECT_EQ(L"026", Text(L"026"));  // lookups are not normalised
    EXPECT_EQ(L"0026", Text(L"0026"));
    EXPECT_EQ(L"hex letter", Text(L"0"));
    EXPECT_EQ(L"junk before the text", Text(L"12"));
    EXPECT_EQ(4u, table_.Size());
}

TEST_F(LanguageFileTest, BackslashNIsALineBreak)
{
    WriteText(L"9`第一行\\n第二行` `one\\ntwo\\n`\n");
    Load(1);
    EXPECT_EQ(L"第一行\n第二行", Text(L"9"));
    Load(2);
    EXPECT_EQ(L"one\ntwo\n", Text(L"9"));
}

TEST_F(LanguageFileTest, ByteOrderMarkIsOptional)
{
    for (bool mark : {true, false}) {
        WriteText(L"1`一`\n2`二`", mark);
        Load(1);
        EXPECT_EQ(L"一", Text(L"1")) << mark;
        EXPECT_EQ(L"二", Text(L"2")) << mark;  // no line end after the last line
    }
}

TEST_F(LanguageFileTest, CrLfLineEndsDoNotLeakIntoTexts)
{
    WriteText(L"; comment\r\n26`设置` `Settings`\r\n5`五` `five\r\n");
    Load(2);
    EXPECT_EQ(L"Settings", Text(L"26"));
    EXPECT_EQ(L"five", Text(L"5"));
    Load(3);
    EXPECT_EQ(L"26", Text(L"26"));
}

TEST_F(LanguageFileTest, ShortOrEmptyFilesGiveAnEmptyTableSilently)
{
    testing_support::MessageBoxRecorder boxes;
    const std::string contents[] = {std::string(), std::string("\xff"), std::string("\xff\xfe"),
                                    std::string("\xff\xfe\x00\x00", 4)};
    for (const std::string& bytes : contents) {
        WriteText(L"1`stale`");
        Load(1);
        WriteBytes(bytes);
        Load(1);
        EXPECT_EQ(0u, table_.Size()) << bytes.size() << " bytes";
        EXPECT_EQ(L"1", Text(L"1"));
    }

    DeleteFileW(path_.c_str());
    Load(1);
    EXPECT_EQ(0u, table_.Size());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(LanguageFileTest, OddLastByteIsIgnored)
{
    WriteBytes(std::string("\xff\xfe" "1\0`\0x\0`\0!", 11));
    Load(1);
    EXPECT_EQ(L"x", Text(L"1"));
}

TEST_F(LanguageFileTest, DuplicateNumbersKeepTheFirstAndAreReported)
{
    testing_support::MessageBoxRecorder boxes;
    WriteText(L"; texts\n7`first`\n8`eight`\n7`second`\n0007`third`\n");
    Load(1);
    EXPECT_EQ(L"first", Text(L"7"));
    EXPECT_EQ(L"eight", Text(L"8"));
    ASSERT_EQ(2u, boxes.calls.size());
    EXPECT_EQ(L"字符索引7重复,行号:3", boxes.calls[0].text);
    EXPECT_EQ(L"字符索引7重复,行号:4", boxes.calls[1].text);
    EXPECT_EQ(L"tips", boxes.calls[0].caption);
    EXPECT_EQ(nullptr, boxes.calls[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.calls[0].type);
}

TEST_F(LanguageFileTest, NumberedLineWithoutBacktickIsSkipped)
{
    WriteText(L"12 no text here\n13`after`\n1a\n14`last`");
    Load(1);
    EXPECT_EQ(L"12", Text(L"12"));
    EXPECT_EQ(L"after", Text(L"13"));
    EXPECT_EQ(L"last", Text(L"14"));
    EXPECT_EQ(2u, table_.Size());
}

TEST_F(LanguageFileTest, ExportedLookupsUseTheLibraryTable)
{
    WriteText(L"26`设置` `Settings`\n40`添加` `Add`\n");
    LanguageTable::Instance().Load(path_.c_str(), 2);
    EXPECT_EQ(L"Add", GetLanStr(L"40").GetBase());
    EXPECT_EQ(L"41", GetLanStr(L"41").GetBase());
    EXPECT_EQ(L"Settings", GetSettingStr().GetBase());
    EXPECT_EQ(L"", GetLanStr(nullptr).GetBase());
    LanguageTable::Instance().Parse(L"", 1);  // leave the library table as the other tests expect it
}

// The installation's file, built beside the test program: every number the system uses
// has a text in both languages, and none is given twice.
TEST(InstalledLanguageFile, HasEveryNumberInBothLanguages)
{
    wchar_t program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring path(program);
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"install\\Bin\\language.txt";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << "missing beside the test program";

    const int numbers[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                           22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 35, 36, 37, 38, 39, 40, 41, 42,
                           43, 44, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58};
    for (int language : {1, 2}) {
        testing_support::MessageBoxRecorder boxes;
        LanguageTable table;
        table.Load(path.c_str(), language);
        EXPECT_TRUE(boxes.calls.empty()) << "duplicate numbers";
        for (int number : numbers) {
            std::wstring id = std::to_wstring(number);
            EXPECT_NE(id, table.Lookup(id.c_str()).GetBase()) << "no text for " << number << " in " << language;
        }
        EXPECT_EQ(L"Pavora", table.Lookup(L"6").GetBase());
    }

    LanguageTable chinese;
    chinese.Load(path.c_str(), 1);
    EXPECT_EQ(L"循环", chinese.Lookup(L"3").GetBase());
    EXPECT_EQ(L"   校准点数:", chinese.Lookup(L"5").GetBase());
    EXPECT_EQ(L"循环播放停止", chinese.Lookup(L"28").GetBase());
}
