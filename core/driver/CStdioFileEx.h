#pragma once
// A text file read and written line by line in either encoding the driver files come in:
// UTF-16 LE with its byte-order mark, or narrow text in the ANSI code page.
#include <windows.h>

#include <string>

namespace DRIVER {

// A read or write that the system refused; carries the system's error code.
class CFileException {
public:
    explicit CFileException(DWORD error) : error_(error) {}
    DWORD Error() const { return error_; }

private:
    DWORD error_;
};

class CStdioFileEx {
public:
    // Open flags; a mode, a share flag and a type combine with |.
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };

    CStdioFileEx() = default;
    virtual ~CStdioFileEx();
    CStdioFileEx(const CStdioFileEx&) = delete;
    CStdioFileEx& operator=(const CStdioFileEx&) = delete;

    // Whether the file starts with FF FE; remembered for the next Open.
    bool IsFileUnicode(const std::wstring& path);
    bool IsUnicode() const { return unicode_; }

    // `error`, when given, receives the system's error code of a failed open.
    bool Open(const std::wstring& path, UINT flags, DWORD* error = nullptr);
    void Close();
    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    void SetFilePath(const std::wstring& path) { path_ = path; }
    const std::wstring& FilePath() const { return path_; }

    // One line without its LF and a CR before it; false at the end of the file.
    bool ReadString(std::wstring& line);
    // The same line into a caller's buffer, cut to size - 1 characters when longer; null at
    // the end of the file or for a buffer without room.
    wchar_t* ReadString(wchar_t* buffer, UINT size);
    // The text and a line end, in the file's encoding; a Unicode file gets its mark first.
    void WriteString(const std::wstring& text);

    // Characters: bytes for an ANSI file, (bytes - 2) / 2 for a Unicode file.
    ULONGLONG GetLength() const;
    // To just past the mark of a Unicode file, the start of another.
    void SeekToBegin();

private:
    bool Fill();
    bool NextByte(unsigned char& byte);
    void DropReadAhead();
    void WriteBytes(const void* data, DWORD size);
    LONGLONG Position() const;

    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::wstring path_;
    bool unicode_ = false;
    bool text_ = true;
    // Read-ahead of the file; `buffered_ - next_` bytes not yet handed out.
    unsigned char buffer_[4096];
    DWORD buffered_ = 0;
    DWORD next_ = 0;
};

}  // namespace DRIVER
