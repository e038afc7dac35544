#pragma once
// The parts of a device INF file that tell which devices it serves: the manufacturer
// entries and the hardware IDs of their models.
#include <string>
#include <vector>

#include "core/driver/CStdioFileEx.h"

namespace DRIVER {

class CInfFileHelper {
public:
    CInfFileHelper() = default;
    virtual ~CInfFileHelper() = default;
    CInfFileHelper(const CInfFileHelper&) = delete;
    CInfFileHelper& operator=(const CInfFileHelper&) = delete;

    // For reading, shared with every other reader and writer. The lines are read once here:
    // every entry's models section is searched from the start, and decoding the file again
    // for each made a damaged INF with a thousand entries read a gigabyte.
    bool Open(const std::wstring& path);
    void Close();

    // From the start, past the first line that contains `header`; false at the end of the file.
    bool FindSection(const std::wstring& header);
    // The text after "=" of each entry of [Manufacturer].
    bool GetManufacturers(std::vector<std::wstring>& list);
    // The hardware IDs of the models section that the entry's first decoration names
    // ("Maker,NTx86,NTamd64" reads [Maker.NTx86]); an undecorated entry gives none.
    bool GetModelIds(const std::wstring& manufacturerEntry, std::vector<std::wstring>& list);
    // The first hardware ID of the first manufacturer entry that has any; empty when none.
    std::wstring FirstModelId();

private:
    // The section's content lines, trimmed, without blanks and comments, up to the next "[".
    std::vector<std::wstring> SectionLines();

    CStdioFileEx file;
    std::vector<std::wstring> lines_;
    size_t next_ = 0;  // the line after the last section header found
};

}  // namespace DRIVER
