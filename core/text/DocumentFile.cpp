#include "core/text/DocumentFile.h"

#include <windows.h>

#include <tinyxml.h>

namespace tessaly {
namespace {

bool WriteDocument(const TiXmlDocument& document, std::FILE* file)
{
    return document.SaveFile(file);
}

DocumentWriter writer = WriteDocument;

}  // namespace

DocumentWriter SetDocumentWriter(DocumentWriter replacement)
{
    DocumentWriter previous = writer;
    writer = replacement ? replacement : WriteDocument;
    return previous;
}

bool SaveDocumentReplacing(const TiXmlDocument& document, const std::wstring& path)
{
    if (path.empty()) return false;
    // A read-only file stays as it is: Wine's replacing move would overwrite it and drop the
    // mark, where Windows refuses.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    const std::wstring temporary = path + L".saving";
    std::FILE* file = _wfopen(temporary.c_str(), L"wb");
    if (!file) return false;
    bool written = writer(document, file);
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
