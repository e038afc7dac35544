// The driver's text files and INF parsing, over the same texts in both encodings.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/driver/CInfFileHelper.h"
#include "core/driver/CStdioFileEx.h"
#include "core/driver/HardwareIdMatch.h"
#include "tests/support/DriverTestFiles.h"
#include "tests/support/TempFolder.h"

using DRIVER::CInfFileHelper;
using DRIVER::CStdioFileEx;
using testing_support::Encode;
using testing_support::Encoding;
using testing_support::TempFolder;
using namespace std::string_literals;

namespace {

std::vector<std::wstring> ReadAllLines(const std::wstring& path)
{
    CStdioFileEx file;
    std::vector<std::wstring> lines;
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText)) return lines;
    std::wstring line;
    while (file.ReadString(line)) lines.push_back(line);
    return lines;
}

using Lines = std::vector<std::wstring>;

// ---------------------------------------------------------------- the text reader

class TextReader : public testing::TestWithParam<std::tuple<Encoding, bool>> {
protected:
    std::wstring Write(const std::wstring& text)
    {
        return folder_.WriteFile(L"text.inf", Encode(text, std::get<0>(GetParam()), std::get<1>(GetParam())));
    }
    bool Unicode() const { return std::get<0>(GetParam()) == Encoding::Utf16; }

    TempFolder folder_{L"driver_text"};
};

TEST_P(TextReader, GivesLinesWithoutTheirEndsBlankOnesIncluded)
{
    std::wstring path = Write(L"[Version]\n\n  indented ; 光机\nlast without end");
    EXPECT_EQ(ReadAllLines(path), (Lines{L"[Version]", L"", L"  indented ; 光机", L"last without end"}));

    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText));
    EXPECT_EQ(file.IsUnicode(), Unicode());
}

TEST_P(TextReader, ReadsAVeryLongLineWhole)
{
    std::wstring longLine(100000, L'x');
    longLine[0] = L'机';
    longLine.back() = L'y';
    EXPECT_EQ(ReadAllLines(Write(longLine + L"\nnext\n")), (Lines{longLine, L"next"}));
}

TEST_P(TextReader, CutsALineToTheCallersBuffer)
{
    std::wstring path = Write(L"abcdef\nxy\n");
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText));
    wchar_t buffer[4];
    ASSERT_EQ(file.ReadString(buffer, 4), buffer);
    EXPECT_STREQ(buffer, L"abc");
    ASSERT_EQ(file.ReadString(buffer, 4), buffer);
    EXPECT_STREQ(buffer, L"xy");
    EXPECT_EQ(file.ReadString(buffer, 4), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Driver, TextReader,
                         testing::Combine(testing::Values(Encoding::Utf16, Encoding::Ansi), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<Encoding, bool>>& info) {
                             return std::string(testing_support::EncodingName(std::get<0>(info.param))) +
                                    (std::get<1>(info.param) ? "CrLf" : "Lf");
                         });

struct OddFile {
    const char* name;
    std::string bytes;
    bool unicode;
    Lines lines;
    ULONGLONG length;
};

void PrintTo(const OddFile& item, std::ostream* out) { *out << item.name; }

class TextReaderOddFile : public testing::TestWithParam<OddFile> {};

TEST_P(TextReaderOddFile, ReadsWhatIsThereAndStops)
{
    TempFolder folder(L"driver_odd");
    std::wstring path = folder.WriteFile(L"odd.inf", GetParam().bytes);
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText));
    EXPECT_EQ(file.IsUnicode(), GetParam().unicode);
    EXPECT_EQ(file.GetLength(), GetParam().length);
    Lines lines;
    std::wstring line;
    while (file.ReadString(line)) lines.push_back(line);
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Driver, TextReaderOddFile,
    testing::Values(OddFile{"Empty", "", false, {}, 0}, OddFile{"OnlyTheMark", "\xFF\xFE", true, {}, 0},
                    OddFile{"OneByte", "a", false, {L"a"}, 1},
                    // The odd last byte is half a character and gives nothing.
                    OddFile{"OddLastByte", std::string("\xFF\xFE" "A\0\n\0B\0C", 9), true, {L"A", L"B"}, 3},
                    OddFile{"MarkThenLineEnd", std::string("\xFF\xFE\r\0\n\0", 6), true, {L""}, 2},
                    OddFile{"LoneCarriageReturnStays", "a\rb\r\n", false, {L"a\rb"}, 5}),
    [](const testing::TestParamInfo<OddFile>& info) { return std::string(info.param.name); });

TEST(DriverTextWriter, WritesAnsiTextWithLineEndsAndReadsItBack)
{
    TempFolder folder(L"driver_write");
    std::wstring path = folder.Path() + L"\\ansi.inf";
    {
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::typeText));
        EXPECT_FALSE(file.IsUnicode());
        file.WriteString(L"[Manufacturer]");
        file.WriteString(L"光机");
    }
    EXPECT_EQ(folder.Read(L"ansi.inf"), "[Manufacturer]\r\n" + Encode(L"光机", Encoding::Ansi) + "\r\n");
    EXPECT_EQ(ReadAllLines(path), (Lines{L"[Manufacturer]", L"光机"}));
}

// Rewriting a Unicode file from scratch keeps it a Unicode file: the mark goes first, once.
TEST(DriverTextWriter, RewritesAUnicodeFileWithItsMarkFirst)
{
    TempFolder folder(L"driver_write");
    std::wstring path = folder.WriteFile(L"wide.inf", Encode(L"old text\n", Encoding::Utf16));
    {
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::typeText));
        EXPECT_TRUE(file.IsUnicode());
        file.WriteString(L"光机");
        file.WriteString(L"b");
    }
    EXPECT_EQ(folder.Read(L"wide.inf"), Encode(L"光机\nb\n", Encoding::Utf16));
    EXPECT_EQ(ReadAllLines(path), (Lines{L"光机", L"b"}));
}

// ---------------------------------------------------------------- INF parsing

struct InfCase {
    const char* name;
    std::wstring text;
    bool hasManufacturers;
    Lines manufacturers;
    std::vector<bool> modelsFound;  // per manufacturer entry
    std::vector<Lines> ids;         // per manufacturer entry
};

void PrintTo(const InfCase& item, std::ostream* out) { *out << item.name; }

const InfCase kInfCases[] = {
    {"TwoMakersWithCommentsAndBlanks",
     L"[Version]\n"
     L"Signature=\"$Windows NT$\"\n"
     L"\n"
     L"[Manufacturer]\n"
     L"; Maker=NotAnEntry,NTx86\n"
     L"\n"
     L"%Maker% = Maker,NTx86,NTamd64\n"
     L"   %Other%=Other , NTx86   \n"
     L"NoEqualsSign\n"
     L"[Maker.NTamd64]\n"
     L"%Cam% = CamInstall, USB\\VID_AAAA&PID_0064\n"
     L"[Maker.NTx86]\n"
     L"; %Cam% = CamInstall, USB\\VID_AAAA&PID_9999\n"
     L"%Cam% = CamInstall, USB\\VID_AAAA&PID_0001\n"
     L"\n"
     L"\t%Cam2% = CamInstall ,  usb\\vid_aaaa&pid_0002  \n"
     L"NoCommaLine\n"
     L"[Other.NTx86]\n"
     L"%X%=Inst,HID\\VID_BBBB&PID_0003, HID\\COMPATIBLE ; compatible ID and a comment\n"
     L"[Strings]\n"
     L"Maker=\"光机厂\"\n",
     true,
     {L"Maker,NTx86,NTamd64", L"Other , NTx86"},
     {true, true},
     {{L"USB\\VID_AAAA&PID_0001", L"usb\\vid_aaaa&pid_0002"}, {L"HID\\VID_BBBB&PID_0003"}}},
    {"MakerAloneYieldsNoIds",
     L"[Manufacturer]\n%M%=Plain\n[Plain]\n%D%=Inst,USB\\VID_CCCC&PID_0001\n",
     true,
     {L"Plain"},
     {false},
     {{}}},
    {"ChineseMakerName",
     L"[Manufacturer]\n%M%=光机厂,NTx86\n[光机厂.NTx86]\n%D%=安装,USB\\VID_DDDD&PID_0001\n",
     true,
     {L"光机厂,NTx86"},
     {true},
     {{L"USB\\VID_DDDD&PID_0001"}}},
    {"ModelsSectionMissing",
     L"[Manufacturer]\n%M%=Gone,NTx86\n[Gone.NTamd64]\n%D%=Inst,USB\\VID_EEEE&PID_0001\n",
     true,
     {L"Gone,NTx86"},
     {false},
     {{}}},
    {"SectionHeaderAtTheEnd", L"[Version]\nSignature=x\n[Manufacturer]", true, {}, {}, {}},
    {"ModelsSectionAtTheEndIsEmpty", L"[Manufacturer]\nM=Last,NTx86\n[Last.NTx86]", true, {L"Last,NTx86"}, {true},
     {{}}},
    // A damaged file: an ID ends at a NUL, as it does for the system, and one empty before it is no ID.
    {"NulsInModelLines",
     L"[Manufacturer]\nM=Maker,NTx86\n[Maker.NTx86]\nA=I,USB\\VID_1&PID_2\0\0junk\nB=I,\0USB\\HIDDEN\n"
     L"C=I, HID\\X \0\nD=I,\0\0\0\n"s,
     true,
     {L"Maker,NTx86"},
     {true},
     {{L"USB\\VID_1&PID_2", L"HID\\X"}}},
    {"NoManufacturerSection", L"[Version]\nSignature=x\n[Strings]\nA=B\n", false, {}, {}, {}},
    {"EmptyFile", L"", false, {}, {}, {}},
};

class InfParsing : public testing::TestWithParam<std::tuple<InfCase, Encoding, bool>> {};

TEST_P(InfParsing, FindsTheSameManufacturersAndIdsInEitherEncoding)
{
    const InfCase& item = std::get<0>(GetParam());
    TempFolder folder(L"driver_inf");
    std::wstring path =
        folder.WriteFile(L"case.inf", Encode(item.text, std::get<1>(GetParam()), std::get<2>(GetParam())));

    CInfFileHelper inf;
    ASSERT_TRUE(inf.Open(path));
    Lines manufacturers{L"left over"};
    EXPECT_EQ(inf.GetManufacturers(manufacturers), item.hasManufacturers);
    EXPECT_EQ(manufacturers, item.manufacturers);
    for (size_t i = 0; i < manufacturers.size(); ++i) {
        Lines ids{L"left over"};
        EXPECT_EQ(inf.GetModelIds(manufacturers[i], ids), item.modelsFound[i]) << i;
        EXPECT_EQ(ids, item.ids[i]) << i;
    }
    // A header that is not there is missed at the end, and the next search starts afresh.
    EXPECT_FALSE(inf.FindSection(L"[Absent]"));
    EXPECT_EQ(inf.FindSection(L"[Manufacturer]"), item.hasManufacturers);
}

INSTANTIATE_TEST_SUITE_P(Driver, InfParsing,
                         testing::Combine(testing::ValuesIn(kInfCases),
                                          testing::Values(Encoding::Utf16, Encoding::Ansi), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<InfCase, Encoding, bool>>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    testing_support::EncodingName(std::get<1>(info.param)) +
                                    (std::get<2>(info.param) ? "CrLf" : "Lf");
                         });

TEST(InfParsing, FirstModelIdComesFromTheFirstEntryThatHasAny)
{
    TempFolder folder(L"driver_inf");
    std::wstring path = folder.WriteFile(
        L"first.inf", Encode(L"[Manufacturer]\nA=Plain\nB=Maker,NTx86\nC=Next,NTx86\n[Maker.NTx86]\n[Next.NTx86]\n"
                             L"D=I,ID_NEXT_1\nD=I,ID_NEXT_2\n",
                             Encoding::Utf16));
    CInfFileHelper inf;
    ASSERT_TRUE(inf.Open(path));
    EXPECT_EQ(inf.FirstModelId(), L"ID_NEXT_1");
}

// ---------------------------------------------------------------- hardware-ID matching

struct MatchCase {
    const wchar_t* device;
    const wchar_t* inf;
    bool matches;
};

class HardwareIdMatching : public testing::TestWithParam<MatchCase> {};

TEST_P(HardwareIdMatching, FollowsTheSuffixRule)
{
    EXPECT_EQ(DRIVER::HardwareIdMatches(GetParam().device, GetParam().inf), GetParam().matches)
        << testing::PrintToString(std::wstring(GetParam().device)) << " / "
        << testing::PrintToString(std::wstring(GetParam().inf));
}

INSTANTIATE_TEST_SUITE_P(
    Driver, HardwareIdMatching,
    testing::Values(MatchCase{L"USB\\VID_AAAA&PID_0001", L"USB\\VID_AAAA&PID_0001", true},
                    MatchCase{L"USB\\VID_AAAA&PID_0001&REV_0100", L"USB\\VID_AAAA&PID_0001", true},
                    MatchCase{L"USB\\VID_AAAA&PID_0001-2", L"USB\\VID_AAAA&PID_0001", true},
                    MatchCase{L"USB\\VID_AAAA&PID_0001#X", L"USB\\VID_AAAA&PID_0001", true},
                    MatchCase{L"USB\\VID_AAAA&PID_0001_MI", L"USB\\VID_AAAA&PID_0001", true},
                    MatchCase{L"usb\\vid_aaaa&pid_0001&rev_0100", L"USB\\VID_AAAA&PID_0001", true},
                    MatchCase{L"USB\\VID_AAAA&PID_0001", L"usb\\Vid_Aaaa&pid_0001", true},
                    MatchCase{L"USB\\VID_AAAA&PID_0001A", L"USB\\VID_AAAA&PID_0001", false},
                    MatchCase{L"USB\\VID_AAAA&PID_00012", L"USB\\VID_AAAA&PID_0001", false},
                    MatchCase{L"USB\\VID_AAAA&PID_000", L"USB\\VID_AAAA&PID_0001", false},
                    MatchCase{L"USB\\VID_AAAA&PID_0002", L"USB\\VID_AAAA&PID_0001", false},
                    MatchCase{L"USB\\VID_AAAA&PID_0001", L"", false}));

}  // namespace
