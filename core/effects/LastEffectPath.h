#pragma once
#include <string>

namespace tessaly {

// The path of the effect that the effect page started last. Its address goes to the
// launcher with the effect-started message, so it lives as long as the library.
std::wstring& LastEffectPath();

}  // namespace tessaly
