#include "core/text/DocumentFile.h"

#include <windows.h>

#include <cstdio>

#include <tinyxml.h>

namespace tessaly {

bool SaveDocumentReplacing(const TiXmlDocument& document, const std::wstring& path)
{
    if (path.empty()) return false;
    const std::wstring temporary = path + L".saving";
    FILE* file = _wfopen(temporary.c_str(), L"wb");
    if (!file) return false;
    bool written = document.SaveFile(file);
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (written && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

bool SaveDocumentReplacing(const TiXmlDocument& document, const std::string& path)
{
    int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 1) return false;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);
    return SaveDocumentReplacing(document, wide);
}

}  // namespace tessaly
