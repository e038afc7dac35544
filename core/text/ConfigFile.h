#pragma once
// Bin\config.ini: every key of the system, with its section, type and default, in one
// table. Values are read at the moment they are needed and written at once; nothing
// is cached.
#include <string>
#include <vector>

#include "core/text/ConfigKeys.h"
#include "core/text/tstring.h"

namespace tessaly {
namespace config {

int ReadInt(const IntKey& key);
std::wstring ReadString(const StringKey& key);
// False when the file could not be written (read-only, disk full); it is then unchanged.
bool WriteInt(const IntKey& key, int value);  // decimal text
bool WriteString(const IntKey& key, const wchar_t* text);
bool WriteString(const StringKey& key, const wchar_t* text);

// Any key of any section, for the sections whose key names are data ([QuickKey]).
int ReadInt(const wchar_t* section, const wchar_t* name, int defaultValue);

// "version"/"language"; values below 1 count as 1.
int Language();

// The key names of a section in file order; empty when the section is missing or empty.
std::vector<tstring> SectionKeys(const wchar_t* section);

}  // namespace config
}  // namespace tessaly
