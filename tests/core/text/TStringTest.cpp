#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/text/tstring.h"
#include "tests/support/MessageBoxRecorder.h"

namespace {

std::vector<std::wstring> Tokens(const wchar_t* text, const wchar_t* delimiters, bool skipEmpty)
{
    std::vector<std::wstring> result;
    for (tstring& token : tstring(text).Spilt(delimiters, skipEmpty)) result.push_back(token.GetBase());
    return result;
}

using Strings = std::vector<std::wstring>;

}  // namespace

TEST(TStringSpilt, EmptyTokensAreKeptOrSkipped)
{
    EXPECT_EQ(Strings({L"a", L"", L"b"}), Tokens(L"a,,b", L",", false));
    EXPECT_EQ(Strings({L"a", L"b"}), Tokens(L"a,,b", L",", true));
    EXPECT_EQ(Strings({L"a", L"b", L""}), Tokens(L"a,b,", L",", false));
    EXPECT_EQ(Strings({L"a", L"b"}), Tokens(L"a,b,", L",", true));
    EXPECT_EQ(Strings({L"", L"a"}), Tokens(L",a", L",", false));
    EXPECT_EQ(Strings({L"a"}), Tokens(L",a", L",", true));
    EXPECT_EQ(Strings({L"", L""}), Tokens(L",", L",", false));
    EXPECT_EQ(Strings(), Tokens(L",", L",", true));
    EXPECT_EQ(Strings({L"abc"}), Tokens(L"abc", L",", true));
}

TEST(TStringSpilt, DelimitersAreASetOfCharacters)
{
    EXPECT_EQ(Strings({L"one", L"", L"two", L""}), Tokens(L"one\r\ntwo\r", L"\r\n", false));
    EXPECT_EQ(Strings({L"one", L"two"}), Tokens(L"one\r\ntwo\r", L"\r\n", true));
    // The pair is not a sequence: either character alone splits.
    EXPECT_EQ(Strings({L"a", L"b", L"c"}), Tokens(L"a\nb\rc", L"\r\n", true));
}

TEST(TStringSpilt, EmptyInputThrowsItsText)
{
    for (int emptyPart = 0; emptyPart < 2; ++emptyPart) {
        tstring text(emptyPart == 0 ? L"" : L"a,b");
        std::wstring delimiters = emptyPart == 0 ? L"," : L"";
        try {
            text.Spilt(delimiters, false);
            ADD_FAILURE() << "no exception, case " << emptyPart;
        } catch (const wchar_t* message) {
            EXPECT_STREQ(L"tokenize: empty string", message);
        }
    }
}

TEST(TStringTrim, RemovesOnlyTheGivenCharacterAtTheEnds)
{
    EXPECT_EQ(L"", tstring(L"xxxx").Trim(L'x').GetBase());
    EXPECT_EQ(L"\tab c\t", tstring(L"  \tab c\t  ").Trim(L' ').GetBase());
    EXPECT_EQ(L"ab  ", tstring(L"  ab  ").TrimLeft(L' ').GetBase());
    EXPECT_EQ(L"  ab", tstring(L"  ab  ").TrimRight(L' ').GetBase());
    EXPECT_EQ(L"", tstring(L"").Trim(L' ').GetBase());
    EXPECT_EQ(L"", tstring(L"xx").TrimRight(L'x').GetBase());
}

TEST(TStringCase, OnlyAsciiLettersChange)
{
    tstring text(L"中文abcXYZ\u00e4\u00c4\uff41");
    EXPECT_EQ(L"中文ABCXYZ\u00e4\u00c4\uff41", text.MakeUpper().GetBase());
    EXPECT_EQ(L"中文abcxyz\u00e4\u00c4\uff41", text.MakeLower().GetBase());
}

TEST(TStringFormat, WideStringsAndNumbers)
{
    tstring text(L"old");
    text.Format(L"%s=%d", L"键", 42);
    EXPECT_EQ(L"键=42", text.GetBase());
}

TEST(TStringFormat, CutsAt499Characters)
{
    for (size_t length : {498u, 499u, 500u, 1200u}) {
        std::wstring source(length, L'z');
        tstring text;
        text.Format(L"%s", source.c_str());
        EXPECT_EQ(length < 499 ? length : 499u, text.GetBase().size()) << length;
        EXPECT_EQ(text.GetBase().size(), wcslen(text.Data())) << length;
    }
}

TEST(TStringAssign, FromStandardStringStopsAtNul)
{
    std::wstring withNul(L"ab\0cd", 5);
    tstring text;
    text = withNul;
    EXPECT_EQ(L"ab", text.GetBase());

    tstring copy(withNul);  // the constructor copies all of it
    EXPECT_EQ(5u, copy.GetBase().size());

    tstring fromNull(static_cast<const wchar_t*>(nullptr));
    EXPECT_STREQ(L"", fromNull.Data());
}

TEST(TStringReplace, ReplaceAllNeverRescansInsertedText)
{
    tstring text(L"a-a-a");
    text.ReplaceAll(L"a", L"aa");
    EXPECT_EQ(L"aa-aa-aa", text.GetBase());

    text = tstring(L"x\\ny\\n");
    text.ReplaceAll(L"\\n", L"\n");
    EXPECT_EQ(L"x\ny\n", text.GetBase());

    text = tstring(L"abcabc");
    text.ReplaceAll(L"abc", L"");
    EXPECT_EQ(L"", text.GetBase());

    text = tstring(L"abc");
    text.ReplaceAll(L"", L"x");  // terminates and changes nothing
    EXPECT_EQ(L"abc", text.GetBase());
}

TEST(TStringReplace, ReplaceFirstAtOrAfterStart)
{
    tstring text(L"ab ab ab");
    text.Replace(L"ab", L"X", 1);
    EXPECT_EQ(L"ab X ab", text.GetBase());
    text.Replace(L"zz", L"X", 0);
    EXPECT_EQ(L"ab X ab", text.GetBase());
    text.Replace(L"ab", L"X", 100);
    EXPECT_EQ(L"ab X ab", text.GetBase());
}

TEST(TStringReplace, RawBufferNewCharacterFirstAndPastNuls)
{
    wchar_t buffer[] = {L'a', L'\0', L'b', L'\0', L'c', L'\0'};
    tstring::Replace(buffer, 4, L'\r', L'\0');
    EXPECT_EQ(std::wstring(L"a\rb\rc", 5), std::wstring(buffer, 5));
    EXPECT_EQ(L'\0', buffer[5]);  // beyond the count
}

TEST(TStringPieces, ClipCountsAndThrowOutOfRange)
{
    tstring text(L"hello");
    EXPECT_EQ(L"llo", text.Mid(2).GetBase());
    EXPECT_EQ(L"el", text.Mid(1, 2).GetBase());
    EXPECT_EQ(L"llo", text.Mid(2, 50).GetBase());
    EXPECT_EQ(L"", text.Mid(5).GetBase());
    EXPECT_EQ(L"he", text.Left(2).GetBase());
    EXPECT_EQ(L"hello", text.Left(9).GetBase());
    EXPECT_EQ(L"lo", text.Right(2).GetBase());
    EXPECT_EQ(L"hello", text.Right(5).GetBase());

    EXPECT_THROW(text.Mid(6), std::out_of_range);
    EXPECT_THROW(text.Mid(6, 1), std::out_of_range);
    EXPECT_THROW(text.Mid(-1), std::out_of_range);
    EXPECT_THROW(text.Right(6), std::out_of_range);
}

TEST(TStringFind, PositionsOrMinusOne)
{
    tstring text(L"a.b.c");
    EXPECT_EQ(1, text.Find(L'.'));
    EXPECT_EQ(-1, text.Find(L'x'));
    EXPECT_EQ(3, text.ReFind(L'.'));
    EXPECT_EQ(-1, text.ReFind(L'x'));
    EXPECT_EQ(3, text.Find(L".c", 0));
    EXPECT_EQ(-1, text.Find(L"a", 1));
    EXPECT_EQ(-1, text.Find(L"a", 99));
}

TEST(TStringEqualBuffer, ComparesExactlyCountBytes)
{
    unsigned char a[] = {1, 2, 3, 4};
    unsigned char b[] = {1, 2, 3, 5};
    EXPECT_EQ(1, tstring::EqualBuffer(a, b, 3));
    EXPECT_EQ(0, tstring::EqualBuffer(a, b, 4));
    EXPECT_EQ(1, tstring::EqualBuffer(a, b, 0));
}

// The product's home is code page 936; other code pages get equivalent checks.
TEST(TStringAnsi, RoundTripOfRepresentableText)
{
    const bool chinese = GetACP() == 936;
    const wchar_t* wide = chinese ? L"效果 abc" : L"caf\u00e9 abc";
    std::unique_ptr<char[]> narrow(tstring::ToMultiByte(wide));
    ASSERT_TRUE(narrow);
    if (chinese) {
        EXPECT_STREQ("\xd0\xa7\xb9\xfb abc", narrow.get());
    } else if (GetACP() == 1252) {
        EXPECT_STREQ("caf\xe9 abc", narrow.get());
    }

    tstring back(narrow.get());
    EXPECT_EQ(wide, back.GetBase());
}

TEST(TStringAnsi, UnrepresentableTextIsReportedAndReturnedLossy)
{
    if (GetACP() == CP_UTF8 || GetACP() == 874) GTEST_SKIP() << "Thai is representable in code page " << GetACP();
    testing_support::MessageBoxRecorder boxes;
    tstring text(L"ab\u0e01");  // Thai: outside GBK and the Western code pages
    std::unique_ptr<char[]> narrow(text.ToMultiByte());
    ASSERT_TRUE(narrow);
    EXPECT_STREQ("ab?", narrow.get());
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ(nullptr, boxes.calls[0].owner);
    EXPECT_EQ(L"ab\u0e01:字符串不能转化为多字节编码 ", boxes.calls[0].text);
    EXPECT_EQ(L"信息提示", boxes.calls[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.calls[0].type);
}

TEST(TStringAnsi, EmptyTextGivesNullAndNoMessage)
{
    testing_support::MessageBoxRecorder boxes;
    EXPECT_EQ(nullptr, tstring().ToMultiByte());
    EXPECT_EQ(nullptr, tstring::ToMultiByte(L""));
    EXPECT_EQ(nullptr, tstring::ToMultiByte(nullptr));
    EXPECT_TRUE(boxes.calls.empty());

    char empty[] = "";
    EXPECT_EQ(L"", tstring(empty).GetBase());
}

TEST(TStringAnsi, NarrowConstructorIsBoundedLikeFormat)
{
    std::string longText(700, 'q');
    tstring text(&longText[0]);
    EXPECT_EQ(std::wstring(499, L'q'), text.GetBase());
}
