#pragma once
// UTF-8, the encoding of every file this system adds (log, status, schedule).
#include <string>

namespace kit {

std::string ToUtf8(const std::wstring& text);
// Bytes that are no UTF-8 come out as U+FFFD, as the system converts them.
std::wstring FromUtf8(const std::string& text);

}  // namespace kit
