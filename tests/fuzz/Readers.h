#pragma once
// Every file reader of the system as the fuzz driver feeds it: the file it reads (relative
// to an installation folder that is the current directory), how its seeds are stored, and
// the property that each input must keep.
#include <string>
#include <vector>

namespace fuzz {

struct Reader {
    const char* name;        // also the seed folder's name
    const wchar_t* file;     // where the input is put
    bool wideSeeds;          // seeds are kept as UTF-8 text and fed as UTF-16 LE with a mark
                             // (for every reader, a seed named *.utf16.seed is fed so too)
    // Runs the reader on the file just written. Returns "" when every property held,
    // else what failed; a failure of a round trip starts with "round trip".
    std::string (*check)(const std::string& bytes);
};

const std::vector<Reader>& Readers();
const Reader* FindReader(const std::string& name);

}  // namespace fuzz
