#include "core/driver/CStdioFileEx.h"

#include <cstring>
#include <vector>

#include "framework/Handles.h"

namespace DRIVER {
namespace {

const unsigned char kMark[2] = {0xFF, 0xFE};

void DropLineEnd(std::wstring& line)
{
    if (!line.empty() && line.back() == L'\n') line.pop_back();
    if (!line.empty() && line.back() == L'\r') line.pop_back();
}

std::wstring FromAnsi(const std::string& bytes)
{
    if (bytes.empty()) return std::wstring();
    int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], size);
    return text;
}

std::string ToAnsi(const std::wstring& text)
{
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    if (size <= 0) return std::string();
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

}  // namespace

CStdioFileEx::~CStdioFileEx()
{
    Close();
}

bool CStdioFileEx::IsFileUnicode(const std::wstring& path)
{
    unicode_ = false;
    kit::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    unsigned char start[2] = {0, 0};
    DWORD read = 0;
    if (ReadFile(file.Get(), start, 2, &read, nullptr) && read == 2) unicode_ = memcmp(start, kMark, 2) == 0;
    return unicode_;
}

bool CStdioFileEx::Open(const std::wstring& path, UINT flags, DWORD* error)
{
    Close();
    IsFileUnicode(path);
    if (unicode_) flags = (flags & ~typeText) | typeBinary;
    text_ = (flags & typeBinary) == 0;

    DWORD access = GENERIC_READ;
    if (flags & modeWrite) access = GENERIC_WRITE;
    if (flags & modeReadWrite) access = GENERIC_READ | GENERIC_WRITE;
    DWORD share = (flags & shareDenyNone) ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : FILE_SHARE_READ;
    DWORD creation = (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    file_ = CreateFileW(path.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        if (error) *error = GetLastError();
        return false;
    }
    path_ = path;
    // A Unicode file emptied by modeCreate has lost its mark: writing starts at 0 and puts it back.
    if (unicode_) SeekToBegin();
    return true;
}

void CStdioFileEx::Close()
{
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    buffered_ = next_ = 0;
}

bool CStdioFileEx::Fill()
{
    buffered_ = next_ = 0;
    DWORD read = 0;
    if (!ReadFile(file_, buffer_, sizeof(buffer_), &read, nullptr)) throw CFileException(GetLastError());
    buffered_ = read;
    return read > 0;
}

bool CStdioFileEx::NextByte(unsigned char& byte)
{
    if (next_ == buffered_ && !Fill()) return false;
    byte = buffer_[next_++];
    return true;
}

void CStdioFileEx::DropReadAhead()
{
    LONG unread = static_cast<LONG>(buffered_ - next_);
    if (unread) SetFilePointer(file_, -unread, nullptr, FILE_CURRENT);
    buffered_ = next_ = 0;
}

bool CStdioFileEx::ReadString(std::wstring& line)
{
    line.clear();
    if (!IsOpen()) return false;
    bool any = false;
    if (unicode_) {
        unsigned char low = 0, high = 0;
        // An odd last byte is half a character: nothing to give.
        while (NextByte(low) && NextByte(high)) {
            any = true;
            wchar_t ch = static_cast<wchar_t>(low | (high << 8));
            line += ch;
            if (ch == L'\n') break;
        }
    } else {
        std::string bytes;
        unsigned char byte = 0;
        while (NextByte(byte)) {
            any = true;
            bytes += static_cast<char>(byte);
            if (byte == '\n') break;
        }
        line = FromAnsi(bytes);
    }
    DropLineEnd(line);
    return any;
}

wchar_t* CStdioFileEx::ReadString(wchar_t* buffer, UINT size)
{
    if (!buffer || size == 0) return nullptr;
    std::wstring line;
    if (!ReadString(line)) return nullptr;
    size_t count = line.size() < size ? line.size() : size - 1;
    wmemcpy(buffer, line.data(), count);
    buffer[count] = L'\0';
    return buffer;
}

LONGLONG CStdioFileEx::Position() const
{
    LARGE_INTEGER zero = {}, at = {};
    if (!SetFilePointerEx(file_, zero, &at, FILE_CURRENT)) return 0;
    return at.QuadPart - static_cast<LONGLONG>(buffered_ - next_);
}

void CStdioFileEx::WriteBytes(const void* data, DWORD size)
{
    DWORD written = 0;
    if (!WriteFile(file_, data, size, &written, nullptr) || written != size) throw CFileException(GetLastError());
}

void CStdioFileEx::WriteString(const std::wstring& text)
{
    if (!IsOpen()) throw CFileException(ERROR_INVALID_HANDLE);
    DropReadAhead();
    if (unicode_) {
        if (Position() == 0) WriteBytes(kMark, 2);
        std::wstring line = text + L"\r\n";
        WriteBytes(line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)));
        return;
    }
    std::string bytes = ToAnsi(text) + "\n";
    if (text_) {
        std::string translated;
        for (char ch : bytes) {
            if (ch == '\n') translated += '\r';
            translated += ch;
        }
        bytes.swap(translated);
    }
    WriteBytes(bytes.data(), static_cast<DWORD>(bytes.size()));
}

ULONGLONG CStdioFileEx::GetLength() const
{
    LARGE_INTEGER size = {};
    if (!IsOpen() || !GetFileSizeEx(file_, &size)) return 0;
    ULONGLONG bytes = static_cast<ULONGLONG>(size.QuadPart);
    if (!unicode_) return bytes;
    return bytes < 2 ? 0 : (bytes - 2) / 2;
}

void CStdioFileEx::SeekToBegin()
{
    if (!IsOpen()) return;
    buffered_ = next_ = 0;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file_, &size);
    LARGE_INTEGER to = {};
    to.QuadPart = unicode_ && size.QuadPart >= 2 ? 2 : 0;
    SetFilePointerEx(file_, to, nullptr, FILE_BEGIN);
}

}  // namespace DRIVER
