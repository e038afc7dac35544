#pragma once
// A fresh folder under the temporary folder, made the current directory for the
// lifetime of the object (the library's relative paths then resolve inside it); the
// previous current directory comes back and the folder is removed at the end.
#include <windows.h>

#include <string>

#include "tests/support/TempFolder.h"

namespace testing_support {

class ScratchFolder : public testing_support::TempFolder {
public:
    explicit ScratchFolder(const std::wstring& name) : TempFolder(name)
    {
        wchar_t current[MAX_PATH + 1] = L"";
        GetCurrentDirectoryW(MAX_PATH, current);
        previous_ = current;
        SetCurrentDirectoryW(Path().c_str());
    }
    // The current directory goes back before the folder is removed.
    ~ScratchFolder() { SetCurrentDirectoryW(previous_.c_str()); }

    std::wstring Write(const std::wstring& relative, const std::string& bytes) const
    {
        return WriteFile(relative, bytes);
    }

private:
    std::wstring previous_;
};

}  // namespace testing_support
