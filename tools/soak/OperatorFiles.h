#pragma once
// The files an operator owns, kept byte for byte from a snapshot: Bin\config.ini,
// data\*.xml and data\playlists\*. The soak takes a new snapshot after its own writes.
#include <map>
#include <string>
#include <vector>

namespace soak {

class OperatorFiles {
public:
    explicit OperatorFiles(std::wstring folder) : folder_(std::move(folder)) {}
    void Snapshot() { kept_ = Read(); }
    // The files changed, added or gone since the snapshot.
    std::vector<std::wstring> Changed() const;

private:
    std::map<std::wstring, std::string> Read() const;

    std::wstring folder_;
    std::map<std::wstring, std::string> kept_;
};

}  // namespace soak
