#pragma once
// Whole files as bytes, for the small files that are read and written in one piece.
#include <cstddef>
#include <string>

namespace kit {

// Up to `limit` bytes of the file (the rest is not read). False when it cannot be opened;
// others may hold it open for writing meanwhile.
bool ReadFileBytes(const std::wstring& path, std::string& bytes, size_t limit = 1u << 20);

// Replaces the file in one step: written beside it as "<path>.new", then moved over it, so
// that a reader sees the old file or the new one, never half of one; the bytes are on the
// disk before the move. On failure the old file stays and the temporary one goes.
bool ReplaceFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace kit
