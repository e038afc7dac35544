#pragma once
// A fresh folder under the temporary folder, made the current directory for the
// lifetime of the object (the library's relative paths then resolve inside it); the
// previous current directory comes back and the folder is removed at the end.
#include <string>

namespace frame_tests {

class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    // Writes the whole file `relative` (its folders created) and returns its full path.
    std::wstring Write(const std::wstring& relative, const std::string& bytes) const;
    std::string Read(const std::wstring& relative) const;

private:
    std::wstring path_;
    std::wstring previous_;
};

// The folder of the running test program.
std::wstring ProgramFolder();

}  // namespace frame_tests
