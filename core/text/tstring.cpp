// Placeholder until the string class is written.
#include "core/text/tstring.h"
tstring::tstring(){} tstring::tstring(std::wstring&){} tstring::tstring(const tstring&){} tstring::tstring(const wchar_t*){} tstring::tstring(wchar_t*){} tstring::tstring(char*){} tstring::~tstring(){}
tstring& tstring::operator=(std::wstring&){return *this;} tstring& tstring::operator=(const tstring&){return *this;}
tstring::operator const wchar_t*(){return 0;} const wchar_t* tstring::Data(){return 0;} std::wstring& tstring::GetBase(){return base;}
tstring& tstring::MakeUpper(){return *this;} tstring& tstring::MakeLower(){return *this;} tstring& tstring::TrimLeft(wchar_t){return *this;} tstring& tstring::TrimRight(wchar_t){return *this;} tstring& tstring::Trim(wchar_t){return *this;}
void tstring::Format(const wchar_t*, ...){} void tstring::ReplaceAll(const wchar_t*, const wchar_t*){} void tstring::Replace(const wchar_t*, const wchar_t*, int){} void tstring::Replace(wchar_t*, unsigned long, wchar_t, wchar_t){}
tstring tstring::Mid(int){return *this;} tstring tstring::Mid(int,int){return *this;} tstring tstring::Left(int){return *this;} tstring tstring::Right(int){return *this;}
char* tstring::ToMultiByte(){return 0;} char* tstring::ToMultiByte(const wchar_t*){return 0;} std::vector<tstring> tstring::Spilt(std::wstring, bool){return {};}
int tstring::EqualBuffer(unsigned char*, unsigned char*, unsigned long){return 0;} int tstring::Find(wchar_t){return 0;} int tstring::Find(const wchar_t*, int){return 0;} int tstring::ReFind(wchar_t){return 0;} void tstring::InitFromMultiByte(char*){}
