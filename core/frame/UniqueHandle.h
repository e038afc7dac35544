#pragma once
#include "framework/Handles.h"

namespace tessaly {
using kit::UniqueHandle;
}
