#pragma once
#include <vector>

// One playlist entry: the effect program's path and its play time in minutes.
struct EffectEntry {
    wchar_t path[260];
    float time;
};

// The playlist. The library owns it; callers read it by index and never free it.
using EffectList = std::vector<EffectEntry>;
