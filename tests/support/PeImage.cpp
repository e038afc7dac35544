#include "tests/support/PeImage.h"

#include <windows.h>

#include <cctype>

namespace testing_support {
namespace {

std::string Lower(std::string text)
{
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

}  // namespace

bool PeImage::Load(const std::wstring& path)
{
    bytes_.clear();
    sections_.clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes_.append(buffer, read);
    CloseHandle(file);

    if (bytes_.size() < 0x40 || U16(0) != 0x5A4D) return false;  // "MZ"
    size_t pe = U32(0x3C);
    if (pe + 24 > bytes_.size() || U32(pe) != 0x00004550) return false;  // "PE\0\0"
    size_t fileHeader = pe + 4;
    uint16_t sectionCount = U16(fileHeader + 2);
    uint16_t optionalSize = U16(fileHeader + 16);
    size_t optional = fileHeader + 20;
    uint16_t magic = U16(optional);
    if (magic != 0x10B && magic != 0x20B) return false;
    is32Bit_ = magic == 0x10B;
    size_t directories = optional + (is32Bit_ ? 96 : 112);
    uint32_t directoryCount = U32(directories - 4);
    exportRva_ = directoryCount > 0 ? U32(directories) : 0;
    importRva_ = directoryCount > 1 ? U32(directories + 8) : 0;

    size_t table = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        size_t at = table + i * 40u;
        if (at + 40 > bytes_.size()) return false;
        sections_.push_back({U32(at + 12), U32(at + 8), U32(at + 20), U32(at + 16)});
    }
    return true;
}

size_t PeImage::OffsetOf(uint32_t rva) const
{
    for (const Section& section : sections_) {
        uint32_t extent = section.virtualSize > section.rawSize ? section.virtualSize : section.rawSize;
        if (rva >= section.virtualAddress && rva < section.virtualAddress + extent) {
            size_t offset = section.rawOffset + (rva - section.virtualAddress);
            return offset < bytes_.size() ? offset : 0;
        }
    }
    return 0;
}

uint16_t PeImage::U16(size_t offset) const
{
    if (offset + 2 > bytes_.size()) return 0;
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes_[offset]) |
                                 static_cast<unsigned char>(bytes_[offset + 1]) << 8);
}

uint32_t PeImage::U32(size_t offset) const
{
    return U16(offset) | static_cast<uint32_t>(U16(offset + 2)) << 16;
}

uint64_t PeImage::U64(size_t offset) const
{
    return U32(offset) | static_cast<uint64_t>(U32(offset + 4)) << 32;
}

std::string PeImage::StringAt(uint32_t rva) const
{
    size_t offset = OffsetOf(rva);
    if (offset == 0) return std::string();
    size_t end = bytes_.find('\0', offset);
    return bytes_.substr(offset, end == std::string::npos ? std::string::npos : end - offset);
}

std::vector<std::string> PeImage::ExportNames() const
{
    std::vector<std::string> names;
    size_t directory = exportRva_ ? OffsetOf(exportRva_) : 0;
    if (directory == 0) return names;
    uint32_t count = U32(directory + 24);
    size_t nameTable = OffsetOf(U32(directory + 32));
    if (nameTable == 0) return names;
    for (uint32_t i = 0; i < count; ++i) names.push_back(StringAt(U32(nameTable + i * 4u)));
    return names;
}

std::vector<size_t> PeImage::ImportDescriptors() const
{
    std::vector<size_t> descriptors;
    size_t at = importRva_ ? OffsetOf(importRva_) : 0;
    if (at == 0) return descriptors;
    for (; at + 20 <= bytes_.size() && U32(at + 12) != 0; at += 20) descriptors.push_back(at);
    return descriptors;
}

std::vector<std::string> PeImage::ImportedLibraries() const
{
    std::vector<std::string> libraries;
    for (size_t descriptor : ImportDescriptors()) libraries.push_back(StringAt(U32(descriptor + 12)));
    return libraries;
}

std::vector<std::string> PeImage::ImportNames(const std::string& library) const
{
    std::vector<std::string> names;
    for (size_t descriptor : ImportDescriptors()) {
        if (Lower(StringAt(U32(descriptor + 12))) != Lower(library)) continue;
        // The lookup table when there is one; otherwise the address table still holds the names on disk.
        uint32_t thunks = U32(descriptor) ? U32(descriptor) : U32(descriptor + 16);
        size_t at = OffsetOf(thunks);
        if (at == 0) continue;
        size_t step = is32Bit_ ? 4 : 8;
        for (;; at += step) {
            uint64_t thunk = is32Bit_ ? U32(at) : U64(at);
            if (thunk == 0) break;
            bool byOrdinal = is32Bit_ ? (thunk & 0x80000000u) != 0 : (thunk >> 63) != 0;
            if (byOrdinal) {
                names.push_back("#" + std::to_string(thunk & 0xFFFF));
                continue;
            }
            names.push_back(StringAt(static_cast<uint32_t>(thunk & 0x7FFFFFFF) + 2));
        }
    }
    return names;
}

}  // namespace testing_support
