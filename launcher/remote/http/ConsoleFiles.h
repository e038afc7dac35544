#pragma once
// What the console shows of the installation's files, read on the console's own threads: the
// playlist the rotation plays from, and the last lines of the log.
#include <string>
#include <vector>

namespace remote {

// The playlist in force, as the status JSON tells it: the schedule's playlist of the entry in
// force, else data\EffectPath.xml; relative to `folder`, the installation.
std::wstring PlaylistInForce(const std::wstring& folder, const std::string& statusJson);
// {"file": …, "entries": [{"path": …, "minutes": …, "missing": …}, …]}
std::string PlaylistJson(const std::wstring& folder, const std::string& statusJson);

// At most `lines` last lines of `logFile` (UTF-8), oldest first; only the file's last
// kMostLogBytes are read.
std::vector<std::string> LogTail(const std::wstring& logFile, size_t lines);
const size_t kMostLogBytes = 32 * 1024;

}  // namespace remote
