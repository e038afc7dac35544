#pragma once
// Judges the effect's picture from thumbnails taken about once a second: black when nearly
// every sample is dark, frozen when nothing changed, each for long enough.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace health {

class PictureJudge {
public:
    enum Verdict { Fine, Black, Frozen };
    // A sample darker than this (of 255) is dark; this share of dark samples is a black picture.
    static constexpr unsigned kDarkBelow = 26;
    static constexpr unsigned kBlackPercent = 98;
    // Samples that moved by no more than this are unchanged (scaling and dithering jitter).
    static constexpr unsigned kStillWithin = 2;

    // 0 turns a check off.
    PictureJudge(ULONGLONG blackMs, ULONGLONG frozenMs) : blackMs_(blackMs), frozenMs_(frozenMs) {}

    // One thumbnail (brightness samples, 0..255) looked at at `now` (milliseconds). `lastedMs`
    // tells how long the condition of the verdict has lasted.
    Verdict Look(const std::vector<std::uint8_t>& luma, ULONGLONG now, ULONGLONG& lastedMs);
    // The effect's window went, or another effect plays: nothing seen so far counts.
    void Reset();

    static bool IsBlack(const std::vector<std::uint8_t>& luma);

private:
    ULONGLONG blackMs_, frozenMs_;
    bool black_ = false;
    ULONGLONG blackSince_ = 0;
    std::vector<std::uint8_t> still_;  // the picture the still time counts from
    ULONGLONG stillSince_ = 0;
};

}  // namespace health
