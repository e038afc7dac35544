#include <gtest/gtest.h>

#include "launcher/health/CoverTally.h"
#include "launcher/health/HealthSettings.h"
#include "launcher/health/PictureJudge.h"
#include "tests/support/TestFiles.h"

using health::PictureJudge;

namespace {

// A thumbnail of 100 samples: `dark` of them at brightness `low`, the rest at `high`.
std::vector<std::uint8_t> Picture(size_t dark, std::uint8_t low = 0, std::uint8_t high = 200)
{
    std::vector<std::uint8_t> luma(100, high);
    for (size_t i = 0; i < dark; ++i) luma[i] = low;
    return luma;
}

}  // namespace

TEST(PictureJudge, BlackIsNearlyEverySampleBelowATenthOfFullScale)
{
    const struct {
        const char* what;
        std::vector<std::uint8_t> luma;
        bool black;
    } cases[] = {
        {"all black", Picture(100), true},
        {"a small bright logo on black", Picture(98), true},
        {"a bright area of 3 %", Picture(97), false},
        {"dim grey just above the line", std::vector<std::uint8_t>(100, 26), false},
        {"dark grey just below it", std::vector<std::uint8_t>(100, 25), true},
        {"nothing read", {}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(PictureJudge::IsBlack(c.luma), c.black) << c.what;
}

TEST(PictureJudge, AFailureNeedsItsConditionUnbrokenForItsWholeTime)
{
    // Black for 3 s, frozen for 5 s; looks once a second.
    PictureJudge judge(3000, 5000);
    ULONGLONG lasted = 0;
    EXPECT_EQ(judge.Look(Picture(0), 0, lasted), PictureJudge::Fine);
    EXPECT_EQ(judge.Look(Picture(100), 1000, lasted), PictureJudge::Fine);
    EXPECT_EQ(judge.Look(Picture(100), 3000, lasted), PictureJudge::Fine);
    // One bright look starts the black time anew.
    EXPECT_EQ(judge.Look(Picture(10), 3500, lasted), PictureJudge::Fine);
    EXPECT_EQ(judge.Look(Picture(100), 4000, lasted), PictureJudge::Fine);
    EXPECT_EQ(judge.Look(Picture(100), 7000, lasted), PictureJudge::Black);
    EXPECT_EQ(lasted, 3000u);

    // A still picture counts from its first look; jitter of scaling does not move it.
    judge.Reset();
    std::vector<std::uint8_t> still = Picture(50, 90, 150), jitter = still;
    jitter[7] += PictureJudge::kStillWithin;
    EXPECT_EQ(judge.Look(still, 10000, lasted), PictureJudge::Fine);
    EXPECT_EQ(judge.Look(jitter, 14000, lasted), PictureJudge::Fine);
    jitter[7] += 1;
    EXPECT_EQ(judge.Look(jitter, 14500, lasted), PictureJudge::Fine);
    EXPECT_EQ(judge.Look(jitter, 19500, lasted), PictureJudge::Frozen);
    EXPECT_EQ(lasted, 5000u);
}

TEST(CoverTally, AProgramThatKeepsCoveringIsANuisanceToldOnceAnHourAndQuietMeanwhile)
{
    using health::CoverTally;
    CoverTally tally;
    const std::wstring notice = L"C:\\Program Files\\Updater\\notice.exe";
    // Three covers a minute are tolerated; the fourth within the minute is told.
    for (ULONGLONG t : {0, 10000, 20000}) EXPECT_EQ(tally.Covered(notice, t), CoverTally::Cover);
    EXPECT_EQ(tally.Covered(L"C:\\other.exe", 25000), CoverTally::Cover) << "counted per program";
    EXPECT_EQ(tally.Covered(notice, 30000), CoverTally::Nuisance);
    // Within the hour its covers are not logged at all (a window fight would fill the log);
    // told again after it.
    for (ULONGLONG t = 40000; t < 3600000 + 30000; t += 15000) EXPECT_EQ(tally.Covered(notice, t), CoverTally::Quiet) << t;
    EXPECT_EQ(tally.Covered(notice, 3600000 + 30000), CoverTally::Nuisance);
    // Spread out, covers never add up to a nuisance.
    CoverTally spread;
    for (ULONGLONG t = 0; t < 600000; t += 20001) EXPECT_EQ(spread.Covered(notice, t), CoverTally::Cover) << t;
}

TEST(HealthSettings, AnEntrysFrozenLimitIsHeldInRangeAndTextIsIgnoredWithANote)
{
    std::wstring ini = testing_support::FreshTempPath(L"health.ini");
    testing_support::WriteBytes(ini, "[health]\r\nfrozenseconds=20\r\n[frozen]\r\nClock.exe=0\r\n"
                                     "Video.exe=90000\r\nC:\\FX\\Wave.exe=-5\r\nSnow.exe=soon\r\nRain.exe=1\r\n");
    health::HealthSettings s = health::HealthSettings::Read(ini.c_str());
    DeleteFileW(ini.c_str());
    struct Case {
        const wchar_t* path;
        DWORD seconds;
    } cases[] = {
        {L"D:\\Effects\\CLOCK.EXE", 0},  {L"D:\\Effects\\Video.exe", 86400}, {L"c:\\fx\\wave.exe", 0},
        {L"D:\\Effects\\Snow.exe", 20}, {L"D:\\Effects\\Rain.exe", 2},       {L"D:\\Effects\\Other.exe", 20},
    };
    for (const auto& c : cases) EXPECT_EQ(s.FrozenSecondsFor(c.path), c.seconds) << c.path;
    ASSERT_EQ(s.notes.size(), 3u);
    EXPECT_NE(s.notes[0].find(L"86400 is used"), std::wstring::npos) << s.notes[0];
    EXPECT_NE(s.notes[2].find(L"Snow.exe=soon is no whole number"), std::wstring::npos) << s.notes[2];
}
