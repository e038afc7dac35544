#pragma once
#include <windows.h>

#include <string>

namespace kit {

// Makes a folder the current directory (an empty folder: keeps it) and restores the
// previous one when it goes, whichever way the scope is left.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::wstring& folder = std::wstring());
    ~CurrentDirectoryScope();
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

private:
    std::wstring saved_;
};

}  // namespace kit
