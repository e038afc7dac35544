#include "tests/unit/ScratchFolder.h"

#include <windows.h>

namespace frame_tests {
namespace {

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = folder + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
            else DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder(const std::wstring& name)
{
    wchar_t temp[MAX_PATH + 1] = L"";
    GetTempPathW(MAX_PATH, temp);
    wchar_t unique[64];
    wsprintfW(unique, L"_%lu_%lu", GetCurrentProcessId(), GetTickCount());
    path_ = std::wstring(temp) + L"pavora_" + name + unique;
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);

    wchar_t current[MAX_PATH + 1] = L"";
    GetCurrentDirectoryW(MAX_PATH, current);
    previous_ = current;
    SetCurrentDirectoryW(path_.c_str());
}

ScratchFolder::~ScratchFolder()
{
    SetCurrentDirectoryW(previous_.c_str());
    RemoveTree(path_);
}

std::wstring ScratchFolder::Write(const std::wstring& relative, const std::string& bytes) const
{
    for (size_t slash = relative.find(L'\\'); slash != std::wstring::npos; slash = relative.find(L'\\', slash + 1))
        CreateDirectoryW((path_ + L"\\" + relative.substr(0, slash)).c_str(), nullptr);
    std::wstring path = path_ + L"\\" + relative;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    return path;
}

std::string ScratchFolder::Read(const std::wstring& relative) const
{
    std::string bytes;
    HANDLE file = CreateFileW((path_ + L"\\" + relative).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH + 1] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

}  // namespace frame_tests
