// Placeholder until the language table is written.
#include "core/text/LanguageTable.h"

namespace tessaly {
LanguageTable& LanguageTable::Instance() { static LanguageTable t; return t; }
void LanguageTable::Load() {}
tstring LanguageTable::Lookup(const wchar_t* id) const { return id ? tstring(id) : tstring(); }
}  // namespace tessaly

tstring GetLanStr(const wchar_t* id) { return tessaly::LanguageTable::Instance().Lookup(id); }
tstring GetSettingStr() { return GetLanStr(L"26"); }
