#pragma once
// The effect page's rules, apart from its window so that tests can hold them to account.
#include <string>
#include <vector>

#include "core/effects/EffectEntry.h"

namespace tessaly {

// What a row shows of a path: the folder it is in and the file name, or the whole path
// when it has fewer than two backslashes.
std::wstring ShortName(const std::wstring& path);

// An empty stored password locks nothing; otherwise it must match, ASCII letter case aside.
bool PasswordUnlocks(const std::wstring& stored, const std::wstring& typed);

// The time text that an in-place edit leaves: below 0.15 (or no number) "0.15", a native
// effect above 20 minutes "20", otherwise the text as typed.
std::wstring LimitedTimeText(const std::wstring& typed, bool nativeEffect);

// "%.1f" of a time, as the rows show it.
std::wstring TimeText(float minutes);

struct PlaylistRow {
    std::wstring path;
    std::wstring timeText;
};

// The playlist of the rows, in their order.
EffectList PlaylistOf(const std::vector<PlaylistRow>& rows);
// Writes the rows as a playlist file ("Effects" of "Effect" with "file" and "time" in the
// ANSI code page), replacing `file` in one step; false when it could not be written.
// A file there that does not read as a playlist (a hand edit gone wrong) is first kept
// beside it as "<name>.unreadable.xml", so that the entries it held can be recovered.
bool SavePlaylist(const std::vector<PlaylistRow>& rows, const wchar_t* file);
// Where SavePlaylist keeps an unreadable `file`: "<name>.unreadable.xml", or with a number
// when that one is taken (an earlier copy is never replaced).
std::wstring UnreadableCopyName(const std::wstring& file);

}  // namespace tessaly
