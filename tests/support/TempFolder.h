#pragma once
// A fresh folder under the temporary folder, removed with everything in it at the end.
#include <windows.h>

#include <string>

namespace testing_support {

class TempFolder {
public:
    explicit TempFolder(const std::wstring& name = L"");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's full path, without a trailing backslash.
    const std::wstring& Path() const { return path_; }
    // `relative` below the folder; its parent folders are created.
    std::wstring MakeFolder(const std::wstring& relative) const;
    // Writes `bytes` as the whole file `relative` (parents created) and returns its full path.
    std::wstring WriteFile(const std::wstring& relative, const std::string& bytes) const;
    // The whole file `relative` below the folder.
    std::string Read(const std::wstring& relative) const;

private:
    std::wstring path_;
};

// The folder of the running test program.
std::wstring ProgramFolder();

}  // namespace testing_support
