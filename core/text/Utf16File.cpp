#include "core/text/Utf16File.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace tessaly {

std::wstring ReadUtf16File(const wchar_t* path)
{
    if (!path) return std::wstring();
    std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path, L"rb"), &fclose);
    if (!file) return std::wstring();

    std::vector<unsigned char> bytes;
    unsigned char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + got);

    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        wchar_t unit = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == L'\0') break;
        if (i == 0 && unit == 0xFEFF) continue;
        text += unit;
    }
    return text;
}

}  // namespace tessaly
