#pragma once
// A Windows program or library file read as plain data: its export names and the
// names it imports from one library. Reads 32-bit and 64-bit files alike.
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

class PeImage {
public:
    // False when the file is missing or not a PE file.
    bool Load(const std::wstring& path);

    bool Is32Bit() const { return is32Bit_; }
    // The names of the export name table, in table order.
    std::vector<std::string> ExportNames() const;
    // The names imported from `library` (compared without regard to case); an import
    // by ordinal appears as "#" and its number.
    std::vector<std::string> ImportNames(const std::string& library) const;
    // Every library the file imports from.
    std::vector<std::string> ImportedLibraries() const;

private:
    struct Section {
        uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
    };

    // File offset of a relative virtual address, or 0 when it lies in no section.
    size_t OffsetOf(uint32_t rva) const;
    uint16_t U16(size_t offset) const;
    uint32_t U32(size_t offset) const;
    uint64_t U64(size_t offset) const;
    std::string StringAt(uint32_t rva) const;
    // The import descriptors' offsets.
    std::vector<size_t> ImportDescriptors() const;

    std::string bytes_;
    std::vector<Section> sections_;
    bool is32Bit_ = false;
    uint32_t exportRva_ = 0, importRva_ = 0;
};

}  // namespace testing_support
