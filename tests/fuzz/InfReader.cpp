#include "tests/fuzz/InfReader.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "core/driver/CInfFileHelper.h"
#include "core/driver/CStdioFileEx.h"
#include "tests/support/TestFiles.h"

namespace fuzz {

const wchar_t kInfFile[] = L"oem10.inf";

namespace {

using DRIVER::CStdioFileEx;
using Lines = std::vector<std::wstring>;

const wchar_t kOtherEncodingFile[] = L"oem10-other.inf";

bool StartsWithMark(const std::string& bytes)
{
    return bytes.size() >= 2 && bytes[0] == '\xff' && bytes[1] == '\xfe';
}

std::wstring FromAnsi(const std::string& bytes)
{
    std::wstring text;
    if (bytes.empty()) return text;
    int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (size <= 0) return text;
    text.resize(static_cast<size_t>(size));
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], size);
    return text;
}

// The reference reading, written apart from the reader: lines end at LF, and a CR just
// before it belongs to the line end. A UTF-16 file is split after the mark (an odd last
// byte is half a character); an ANSI file is split into byte lines first, since in a
// double-byte code page a lead byte must not swallow the LF.
Lines ExpectedLines(const std::string& bytes)
{
    Lines lines;
    if (StartsWithMark(bytes)) {
        std::wstring text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find(L'\n', start);
            std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
            if (!line.empty() && line.back() == L'\r') line.pop_back();
            lines.push_back(line);
            if (end == std::wstring::npos) break;
            start = end + 1;
        }
        return lines;
    }
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        std::string line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(FromAnsi(line));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

std::wstring Joined(const Lines& lines)
{
    std::wstring text;
    for (const std::wstring& line : lines) text += line + L"\r\n";
    return text;
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t ch : text.substr(0, 60)) {
        if (ch >= 0x20 && ch < 0x7f) {
            narrow += static_cast<char>(ch);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(ch));
            narrow += escaped;
        }
    }
    return narrow;
}

struct TextReading {
    bool opened = false;
    bool unicode = false;
    Lines lines;
    std::string failure;
};

// Every line, through both forms of ReadString; the buffer form must give the same line
// cut to its buffer.
TextReading ReadLines(const wchar_t* path)
{
    TextReading reading;
    CStdioFileEx whole, cut;
    UINT flags = CStdioFileEx::modeRead | CStdioFileEx::shareDenyNone | CStdioFileEx::typeText;
    if (!whole.Open(path, flags) || !cut.Open(path, flags)) return reading;
    reading.opened = true;
    reading.unicode = whole.IsUnicode();
    std::wstring line;
    wchar_t buffer[64];
    while (whole.ReadString(line)) {
        reading.lines.push_back(line);
        if (!cut.ReadString(buffer, 64)) {
            reading.failure = "the buffer form ended early";
            return reading;
        }
        std::wstring expected = line.substr(0, 63);
        expected = expected.substr(0, expected.find(L'\0'));
        if (expected != buffer) {
            reading.failure = "the buffer form gave \"" + Narrow(buffer) + "\" for \"" + Narrow(line) + "\"";
            return reading;
        }
    }
    if (cut.ReadString(buffer, 64)) reading.failure = "the buffer form read past the end";
    return reading;
}

struct InfReading {
    bool opened = false;
    bool hasManufacturers = false;
    Lines manufacturers;
    std::vector<Lines> ids;  // per entry; empty for an entry without a models section
    std::wstring firstId;

    bool operator==(const InfReading& other) const
    {
        return opened == other.opened && hasManufacturers == other.hasManufacturers &&
               manufacturers == other.manufacturers && ids == other.ids && firstId == other.firstId;
    }
};

std::string Describe(const InfReading& reading)
{
    std::string text = reading.opened ? "" : "(not opened) ";
    for (size_t i = 0; i < reading.manufacturers.size(); ++i) {
        text += "[" + Narrow(reading.manufacturers[i]) + ":";
        for (const std::wstring& id : reading.ids[i]) text += " " + Narrow(id);
        text += "]";
    }
    return text + " first " + Narrow(reading.firstId);
}

InfReading ReadInf(const wchar_t* path, std::string& failure)
{
    InfReading reading;
    DRIVER::CInfFileHelper inf;
    if (!inf.Open(path)) return reading;
    reading.opened = true;
    reading.hasManufacturers = inf.GetManufacturers(reading.manufacturers);
    for (const std::wstring& entry : reading.manufacturers) {
        Lines ids;
        if (!inf.GetModelIds(entry, ids)) ids.clear();
        reading.ids.push_back(ids);
    }
    reading.firstId = inf.FirstModelId();
    // Again on the same open file: nothing of the searches before may stay behind.
    Lines again;
    inf.GetManufacturers(again);
    if (again != reading.manufacturers) failure = "a second look at [Manufacturer] on the same file differs";
    return reading;
}

// What the installer can hand on as a C string: something, without blanks around it.
bool UsableId(const std::wstring& id)
{
    const wchar_t* blanks = L" \t\r\n";
    return !id.empty() && id.find(L'\0') == std::wstring::npos && !wcschr(blanks, id.front()) &&
           !wcschr(blanks, id.back());
}

bool InSomeLine(const Lines& lines, const std::wstring& value)
{
    for (const std::wstring& line : lines)
        if (line.find(value) != std::wstring::npos) return true;
    return false;
}

std::string ValuesInText(const InfReading& reading, const Lines& lines)
{
    for (size_t i = 0; i < reading.manufacturers.size(); ++i) {
        if (!InSomeLine(lines, reading.manufacturers[i]))
            return "entry \"" + Narrow(reading.manufacturers[i]) + "\" is in no line";
        for (const std::wstring& id : reading.ids[i]) {
            if (!UsableId(id)) return "hardware ID \"" + Narrow(id) + "\" is empty, holds a NUL or is not trimmed";
            if (!InSomeLine(lines, id)) return "hardware ID \"" + Narrow(id) + "\" is in no line";
        }
    }
    std::wstring first;
    for (const Lines& ids : reading.ids) {
        if (!ids.empty()) {
            first = ids.front();
            break;
        }
    }
    if (reading.firstId != first)
        return "first hardware ID \"" + Narrow(reading.firstId) + "\", not \"" + Narrow(first) + "\"";
    return std::string();
}

// The same lines in the other encoding: UTF-16 LE with its mark for an ANSI file; ANSI
// for a UTF-16 file whose text the code page holds exactly. Empty when there is none.
std::string OtherEncoding(const std::string& bytes, const Lines& lines)
{
    std::wstring text = Joined(lines);
    if (!StartsWithMark(bytes)) {
        std::string wide("\xff\xfe", 2);
        wide.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        return wide;
    }
    if (text.empty()) return std::string();
    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, &lossy);
    if (size <= 0 || lossy) return std::string();
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), &ansi[0], size,
                        nullptr, &lossy);
    if (lossy || StartsWithMark(ansi) || ExpectedLines(ansi) != lines) return std::string();
    return ansi;
}

std::string Check(const std::string& bytes)
{
    const Lines expected = ExpectedLines(bytes);

    TextReading lines = ReadLines(kInfFile);
    if (!lines.opened) return "the text reader could not open the file";
    if (!lines.failure.empty()) return lines.failure;
    if (lines.unicode != StartsWithMark(bytes)) return "encoding taken for the other one";
    if (lines.lines != expected) {
        size_t at = 0;
        while (at < lines.lines.size() && at < expected.size() && lines.lines[at] == expected[at]) ++at;
        return "line " + std::to_string(at) + " of " + std::to_string(expected.size()) + " read as \"" +
               (at < lines.lines.size() ? Narrow(lines.lines[at]) : "(none)") + "\", not \"" +
               (at < expected.size() ? Narrow(expected[at]) : "(none)") + "\"";
    }

    std::string failure;
    InfReading first = ReadInf(kInfFile, failure);
    if (!failure.empty()) return failure;
    if (!first.opened) return "the INF reader could not open the file";
    InfReading second = ReadInf(kInfFile, failure);
    if (!failure.empty()) return failure;
    if (!(first == second)) return "read twice: " + Describe(first) + " then " + Describe(second);
    failure = ValuesInText(first, expected);
    if (!failure.empty()) return failure;

    std::string other = OtherEncoding(bytes, expected);
    if (!other.empty()) {
        testing_support::WriteBytes(kOtherEncodingFile, other);
        InfReading converted = ReadInf(kOtherEncodingFile, failure);
        if (!(converted == first))
            return std::string(StartsWithMark(bytes) ? "as ANSI: " : "as UTF-16: ") + Describe(converted) +
                   " instead of " + Describe(first);
    }
    return std::string();
}

}  // namespace

std::string CheckInfFile(const std::string& bytes)
{
    std::string failure;
    try {
        failure = Check(bytes);
    } catch (const DRIVER::CFileException& error) {
        failure = "file exception " + std::to_string(error.Error());
    }
    if (failure.empty() && testing_support::ReadBytes(kInfFile) != bytes) failure = "wrote to its input file";
    return failure;
}

}  // namespace fuzz
