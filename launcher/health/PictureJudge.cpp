#include "launcher/health/PictureJudge.h"

#include <cstdlib>

namespace health {

bool PictureJudge::IsBlack(const std::vector<std::uint8_t>& luma)
{
    if (luma.empty()) return false;
    size_t dark = 0;
    for (std::uint8_t sample : luma)
        if (sample < kDarkBelow) ++dark;
    return dark * 100 >= luma.size() * kBlackPercent;
}

namespace {

bool Same(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (static_cast<unsigned>(std::abs(int(a[i]) - int(b[i]))) > PictureJudge::kStillWithin) return false;
    return true;
}

}  // namespace

PictureJudge::Verdict PictureJudge::Look(const std::vector<std::uint8_t>& luma, ULONGLONG now, ULONGLONG& lastedMs)
{
    lastedMs = 0;
    bool black = IsBlack(luma);
    if (!black) black_ = false;
    else if (!black_) {
        black_ = true;
        blackSince_ = now;
    }
    if (still_.empty() || !Same(luma, still_)) {
        still_ = luma;
        stillSince_ = now;
    }
    if (blackMs_ != 0 && black_ && now - blackSince_ >= blackMs_) {
        lastedMs = now - blackSince_;
        return Black;
    }
    // A black picture is the black check's to judge, when it is on: the log then names it so.
    if (frozenMs_ != 0 && !(black && blackMs_ != 0) && now - stillSince_ >= frozenMs_) {
        lastedMs = now - stillSince_;
        return Frozen;
    }
    return Fine;
}

void PictureJudge::Reset()
{
    black_ = false;
    still_.clear();
}

}  // namespace health
