#pragma once
#include <string>
#include <vector>

// The wide (UTF-16) string that crosses the boundary between the library and the
// launcher. Objects made in one module may be destroyed in the other: each module has
// its own copy of the C++ library, but both allocate from the C runtime's one heap.
// Narrow text is the system's ANSI code page.
class tstring {
public:
    tstring();
    tstring(std::wstring& text);
    tstring(const tstring& other);
    tstring(const wchar_t* text);
    tstring(wchar_t* text);
    tstring(char* ansiText);
    virtual ~tstring();

    // Takes the characters of `text` up to its first NUL.
    tstring& operator=(std::wstring& text);
    tstring& operator=(const tstring& other);

    operator const wchar_t*();
    const wchar_t* Data();
    std::wstring& GetBase();

    // Only ASCII letters change; every other character stays as it is.
    tstring& MakeUpper();
    tstring& MakeLower();
    tstring& TrimLeft(wchar_t ch);
    tstring& TrimRight(wchar_t ch);
    tstring& Trim(wchar_t ch);

    // Formats into a 500-character buffer, Microsoft conventions (%s takes wide text);
    // longer results are cut to 499 characters.
    void Format(const wchar_t* format, ...);
    void ReplaceAll(const wchar_t* oldText, const wchar_t* newText);
    void Replace(const wchar_t* oldText, const wchar_t* newText, int start);
    // Note the order: the new character comes before the old one. NULs do not stop the scan.
    static void Replace(wchar_t* buffer, unsigned long count, wchar_t newChar, wchar_t oldChar);

    tstring Mid(int start);
    tstring Mid(int start, int count);
    tstring Left(int count);
    tstring Right(int count);

    // Array-new'd ANSI text owned by the caller, or null for empty or unconvertible text.
    char* ToMultiByte();
    static char* ToMultiByte(const wchar_t* text);

    // Throws the const wchar_t* "tokenize: empty string" when this text or `delimiters` is empty.
    std::vector<tstring> Spilt(std::wstring delimiters, bool skipEmpty);

    static int EqualBuffer(unsigned char* a, unsigned char* b, unsigned long count);

    int Find(wchar_t ch);
    int Find(const wchar_t* text, int start);
    int ReFind(wchar_t ch);

private:
    void InitFromMultiByte(char* text);

    std::wstring base;
};
