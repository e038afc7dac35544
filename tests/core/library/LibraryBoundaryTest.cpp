// What crosses between the real Tessaly.dll and a program that links it at load time, as
// the launcher does: both modules carry their own copy of the C++ library, so exceptions
// and heap blocks must still travel (shared unwinder, one C runtime heap).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/library/TessalyApi.h"
#include "core/text/tstring.h"

TEST(LibraryBoundary, TheLibrarysThrownTextIsCaughtByTheProgram)
{
    tstring empty;
    const wchar_t* caught = nullptr;
    try {
        empty.Spilt(L",", true);
    } catch (const wchar_t* text) {
        caught = text;
    } catch (...) {
        FAIL() << "caught, but not as the library's text";
    }
    ASSERT_NE(nullptr, caught);
    EXPECT_STREQ(L"tokenize: empty string", caught);
}

TEST(LibraryBoundary, TextsMadeInTheLibraryAreReleasedByTheProgram)
{
    // The vector, its strings and the returned tstring are allocated inside the library
    // and freed here; with two heaps this corrupts memory within a few rounds.
    for (int round = 0; round < 200; ++round) {
        std::wstring text = L"alpha,beta,,gamma-" + std::to_wstring(round);
        std::vector<tstring> parts = tstring(text).Spilt(L",", true);
        ASSERT_EQ(3u, parts.size());
        EXPECT_EQ(L"beta", parts[1].GetBase());
        std::vector<tstring> copies = parts;
        copies.push_back(GetLanStr(L"6"));
        tstring assigned;
        assigned = copies.back();
        EXPECT_NE(nullptr, assigned.Data());
    }
}
