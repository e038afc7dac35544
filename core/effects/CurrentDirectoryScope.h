#pragma once
#include "framework/CurrentDirectoryScope.h"

namespace tessaly {
using kit::CurrentDirectoryScope;
}
