#include "core/frame/LibraryState.h"

int deviceType = 0;

namespace tessaly {

LibraryState& Library()
{
    static LibraryState state;
    return state;
}

}  // namespace tessaly
