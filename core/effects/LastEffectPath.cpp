#include "core/effects/LastEffectPath.h"

namespace tessaly {

std::wstring& LastEffectPath()
{
    static std::wstring path;
    return path;
}

}  // namespace tessaly
