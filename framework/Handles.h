#pragma once
// Small owners of Win32 handles, so that every path closes what it opened.
#include <windows.h>

namespace kit {

// A kernel handle. Both null and INVALID_HANDLE_VALUE count as "no handle", since
// CreateToolhelp32Snapshot, CreateFileW and OpenProcess fail differently.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return Valid(); }

    HANDLE Release()
    {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }

    void Reset(HANDLE handle = nullptr)
    {
        if (Valid()) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

// FindFirstFileW / FindClose.
class FileSearch {
public:
    FileSearch(const wchar_t* pattern, WIN32_FIND_DATAW& found) : search_(FindFirstFileW(pattern, &found)) {}
    ~FileSearch()
    {
        if (search_ != INVALID_HANDLE_VALUE) FindClose(search_);
    }
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;
    explicit operator bool() const { return search_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE search_;
};

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Reset(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // RegOpenKeyExW; false (and no key) on failure.
    bool Open(HKEY parent, const wchar_t* subKey, REGSAM access)
    {
        Reset();
        return RegOpenKeyExW(parent, subKey, 0, access, &key_) == ERROR_SUCCESS || (key_ = nullptr, false);
    }
    // RegCreateKeyExW; opens the key when it exists.
    bool Create(HKEY parent, const wchar_t* subKey, REGSAM access)
    {
        Reset();
        return RegCreateKeyExW(parent, subKey, 0, nullptr, 0, access, nullptr, &key_, nullptr) == ERROR_SUCCESS ||
               (key_ = nullptr, false);
    }
    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    void Reset()
    {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

// A pen, brush, font or bitmap deleted when the object goes. Deselect it first (SavedDC).
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(HGDIOBJ object) : object_(object) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ Get() const { return object_; }
    void Reset(HGDIOBJ object = nullptr)
    {
        if (object_) DeleteObject(object_);
        object_ = object;
    }

private:
    HGDIOBJ object_ = nullptr;
};

// Restores every object and attribute the drawing code selected; declare it after the
// objects it selects, so that they are deselected before they are deleted.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDC()
    {
        if (saved_) RestoreDC(dc_, saved_);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// GetDC / ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC()
    {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return dc_; }
    const PAINTSTRUCT& Paint() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// CreateCompatibleDC / DeleteDC.
class MemoryDC {
public:
    explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDC()
    {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

}  // namespace kit
