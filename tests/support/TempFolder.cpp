#include "tests/support/TempFolder.h"

#include "tests/support/TestFiles.h"

namespace testing_support {

TempFolder::TempFolder(const std::wstring& label)
{
    static LONG counter = 0;
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    wchar_t name[64] = {};
    wsprintfW(name, L"pavora_%lu_%ld", GetCurrentProcessId(), InterlockedIncrement(&counter));
    path_ = std::wstring(base) + name + (label.empty() ? L"" : L"_" + label);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    RemoveTree(path_);
}

std::wstring TempFolder::MakeFolder(const std::wstring& relative) const
{
    std::wstring folder = path_;
    std::wstring::size_type start = 0;
    while (start <= relative.size()) {
        std::wstring::size_type end = relative.find(L'\\', start);
        if (end == std::wstring::npos) end = relative.size();
        if (end > start) {
            folder += L"\\" + relative.substr(start, end - start);
            CreateDirectoryW(folder.c_str(), nullptr);
        }
        start = end + 1;
    }
    return folder;
}

std::wstring TempFolder::WriteFile(const std::wstring& relative, const std::string& bytes) const
{
    const std::wstring::size_type separator = relative.rfind(L'\\');
    if (separator != std::wstring::npos) MakeFolder(relative.substr(0, separator));
    const std::wstring path = path_ + L"\\" + relative;
    WriteBytes(path, bytes);
    return path;
}

std::string TempFolder::Read(const std::wstring& relative) const
{
    return ReadBytes(path_ + L"\\" + relative);
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH + 1] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

}  // namespace testing_support
