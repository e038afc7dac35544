#pragma once
#include <windows.h>

#include <cstddef>

namespace launcher {

// Whether [object, object + size) lies within one writable section of a loaded module's
// image: where the library keeps its last effect path. Any program can post the
// effect-started message; a pointer that fails this is not read.
bool InWritableImageData(HMODULE module, const void* object, size_t size);

}  // namespace launcher
