#pragma once
// The driver installer's reading of an INF file, as the fuzz driver checks it.
#include <string>

namespace fuzz {

extern const wchar_t kInfFile[];

// Reads the INF just written to kInfFile the way the installer does. Returns "" when every
// property held: lines as an independent decoding of the bytes gives them, the same result
// on every reading, every entry and hardware ID found in the text, the same result from the
// file in the other encoding, and the input left alone.
std::string CheckInfFile(const std::string& bytes);

}  // namespace fuzz
