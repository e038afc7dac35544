#pragma once
// Whole files and folder trees, for the tests of every test program.
#include <string>

namespace testing_support {

// In the ANSI code page.
std::string ToAnsi(const std::wstring& text);

bool WriteBytes(const std::wstring& path, const std::string& bytes);
// Empty when the file cannot be read.
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Removes the folder with everything below it, read-only entries included.
void RemoveTree(const std::wstring& path);
bool CopyTree(const std::wstring& from, const std::wstring& to);
// A path `name` in the temporary folder with nothing at it yet.
std::wstring FreshTempPath(const std::wstring& name);

}  // namespace testing_support
