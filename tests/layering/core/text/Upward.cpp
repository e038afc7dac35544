// The settings layer lies above the text layer: this include runs upward.
#include "core/settings/Page.h"
