#include "tools/soak/Report.h"

#include <algorithm>
#include <cstdio>

namespace soak {
namespace {

std::string Narrow(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return "";
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

double Megabytes(SIZE_T bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace

void PrintReport(const std::vector<Outcome>& outcomes, const Summary& summary)
{
    std::printf("%-34s %5s %9s %9s %7s %5s\n", "fault", "count", "median", "worst", "logged", "gaps");
    for (int k = 0; k < static_cast<int>(Kind::Count); ++k) {
        Kind kind = static_cast<Kind>(k);
        std::vector<ULONGLONG> times;
        size_t count = 0, logged = 0, unrecovered = 0, gaps = 0;
        for (const Outcome& o : outcomes) {
            if (o.fault.kind != kind) continue;
            ++count;
            logged += o.logged;
            if (o.recovered) times.push_back(o.recoveryMs);
            else ++unrecovered;
        }
        for (const Gap& gap : summary.gaps)
            if (gap.ms > kLongGapMs && (gap.during == KindName(kind) || gap.during == std::string("after ") + KindName(kind)))
                ++gaps;
        if (!count) continue;
        std::sort(times.begin(), times.end());
        std::string median = "-", worst = "-";
        if (!times.empty()) {
            median = std::to_string(times[(times.size() - 1) / 2]) + " ms";
            worst = std::to_string(times.back()) + " ms";
        }
        std::printf("%-34s %5zu %9s %9s %3zu/%-3zu %5zu%s\n", KindName(kind), count, median.c_str(), worst.c_str(),
                    logged, count, gaps, unrecovered ? (" (" + std::to_string(unrecovered) + " never back)").c_str() : "");
    }
    for (const Outcome& o : outcomes)
        if (!o.note.empty()) std::printf("  note: %s: %s\n", KindName(o.fault.kind), o.note.c_str());
    for (const Gap& gap : summary.gaps)
        if (gap.ms > kLongGapMs)
            std::printf("  gap of %llu ms during \"%s\": %s on top\n", gap.ms, gap.during.c_str(), Narrow(gap.what).c_str());
    if (summary.boundaries)
        std::printf("schedule: %u boundaries crossed, %u closed spans, %llu ms of closed hours not black\n",
                    summary.boundaries, summary.closedSpans, summary.closedNotBlackMs);
    if (!summary.dialogs.names.empty()) std::printf("dialogs left:%s\n", Narrow(summary.dialogs.names).c_str());
    for (const std::wstring& file : summary.changedFiles) std::printf("operator file changed: %s\n", Narrow(file).c_str());
    if (summary.effectsRunning > 1)
        std::printf("stand-in effects running at the end: %zu (one plays at a time)\n", summary.effectsRunning);
    if (summary.first.read && summary.last.read) {
        auto growth = [](double from, double to) { return from > 0 ? (to - from) * 100.0 / from : 0.0; };
        std::printf("between the readings: handles %+.1f %%, private bytes %+.1f %%%s\n",
                    growth(summary.first.handles, summary.last.handles),
                    growth(static_cast<double>(summary.first.privateBytes), static_cast<double>(summary.last.privateBytes)),
                    summary.first.pid != summary.last.pid ? " (the launcher was started again between them)" : "");
    }
    std::printf("run took %llu s (seed %u)\n", summary.tookMs / 1000, summary.seed);

    size_t longGaps = 0, logged = 0;
    ULONGLONG longest = 0;
    for (const Gap& gap : summary.gaps) {
        if (gap.ms > kLongGapMs) ++longGaps;
        longest = std::max(longest, gap.ms);
    }
    for (const Outcome& o : outcomes) logged += o.logged;
    std::printf("soak: %zu faults, %zu gaps over 3 s (longest %llu ms), %d dialogs left, %zu operator files changed, "
                "handles %lu->%lu, private MB %.1f->%.1f, log lines for %zu of %zu faults\n",
                summary.faults, longGaps, longest, summary.dialogs.crashDialogs + summary.dialogs.otherDialogs,
                summary.changedFiles.size(), summary.first.handles, summary.last.handles,
                Megabytes(summary.first.privateBytes), Megabytes(summary.last.privateBytes), logged, summary.faults);
    std::fflush(stdout);
}

void WriteFaultList(const std::wstring& path, const std::vector<Outcome>& outcomes)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return;
    for (size_t i = 0; i < outcomes.size(); ++i) {
        const Outcome& o = outcomes[i];
        std::fprintf(file, "%zu %s %s (%u): %s %llu ms, %s%s%s\r\n", i + 1, o.at.c_str(), KindName(o.fault.kind),
                     o.fault.value, o.recovered ? "back after" : "not back after", o.recoveryMs,
                     o.logged ? "logged" : "not logged", o.note.empty() ? "" : "; ", o.note.c_str());
    }
    std::fclose(file);
}

bool Failed(const Summary& summary)
{
    bool longGap = std::any_of(summary.gaps.begin(), summary.gaps.end(), [](const Gap& g) { return g.ms > kLongGapMs; });
    return longGap || summary.dialogs.crashDialogs + summary.dialogs.otherDialogs > 0 || !summary.changedFiles.empty();
}

}  // namespace soak
