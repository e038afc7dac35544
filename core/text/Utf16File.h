#pragma once
#include <string>

namespace tessaly {

// The text of a UTF-16 LE file without its byte-order mark, up to its first NUL; an odd
// last byte is ignored. Empty when the file cannot be opened or is below two bytes.
std::wstring ReadUtf16File(const wchar_t* path);

}  // namespace tessaly
