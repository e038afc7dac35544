#include <gtest/gtest.h>

#include "launcher/health/CoverTally.h"
#include "launcher/health/PictureJudge.h"

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

TEST(CoverTally, AProgramThatKeepsCoveringIsANuisanceToldOnceAnHour)
{
    health::CoverTally tally;
    const std::wstring notice = L"C:\\Program Files\\Updater\\notice.exe";
    // Three covers a minute are tolerated; the fourth within the minute is told.
    for (ULONGLONG t : {0, 10000, 20000}) EXPECT_FALSE(tally.Covered(notice, t));
    EXPECT_FALSE(tally.Covered(L"C:\\other.exe", 25000)) << "counted per program";
    EXPECT_TRUE(tally.Covered(notice, 30000));
    // Not again within the hour, however often; again after it.
    for (ULONGLONG t = 40000; t < 3600000 + 30000; t += 15000) EXPECT_FALSE(tally.Covered(notice, t)) << t;
    EXPECT_TRUE(tally.Covered(notice, 3600000 + 30000));
    // Spread out, covers never add up to a nuisance.
    health::CoverTally spread;
    for (ULONGLONG t = 0; t < 600000; t += 20001) EXPECT_FALSE(spread.Covered(notice, t)) << t;
}
