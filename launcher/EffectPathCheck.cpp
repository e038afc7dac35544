#include "launcher/EffectPathCheck.h"

#include <cstdint>

namespace launcher {

bool InWritableImageData(HMODULE module, const void* object, size_t size)
{
    if (!module || !object) return false;
    auto base = reinterpret_cast<const std::uint8_t*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return false;
    auto address = reinterpret_cast<std::uintptr_t>(object);
    auto start = reinterpret_cast<std::uintptr_t>(base);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (!(section->Characteristics & IMAGE_SCN_MEM_WRITE)) continue;
        std::uintptr_t first = start + section->VirtualAddress;
        std::uintptr_t extent = section->Misc.VirtualSize ? section->Misc.VirtualSize : section->SizeOfRawData;
        if (address >= first && address - first <= extent && size <= extent - (address - first)) return true;
    }
    return false;
}

}  // namespace launcher
