#include "launcher/pictures/ScreenPicture.h"

#include <objbase.h>
#include <wincodec.h>

#include <vector>

#include "framework/Handles.h"

namespace pictures {

namespace {

// A monitor larger than this is no projector's; the bound keeps the buffers sane.
const int kMostSide = 16384;

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }

private:
    T* p_ = nullptr;
};

// COM on this thread for as long as the picture takes; a thread that has it already keeps it.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

std::wstring Failure(const wchar_t* what, HRESULT result)
{
    wchar_t code[16];
    wsprintfW(code, L"0x%08X", static_cast<unsigned>(result));
    return std::wstring(what) + L" failed (" + code + L")";
}

// A 32-bit top-down DIB section of this size, selected into its own memory DC.
struct Canvas {
    Canvas(HDC like, int width, int height) : dc(like)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap.Reset(CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (dc.Get() && bitmap.Get()) previous = SelectObject(dc.Get(), bitmap.Get());
    }
    ~Canvas()
    {
        if (previous) SelectObject(dc.Get(), previous);
    }
    bool Usable() const { return previous != nullptr && bits != nullptr; }

    kit::MemoryDC dc;
    kit::GdiObject bitmap;
    void* bits = nullptr;
    HGDIOBJ previous = nullptr;
};

}  // namespace

bool EncodePng(const void* pixels, int width, int height, std::string& png, std::wstring& problem)
{
    if (width <= 0 || height <= 0 || width > kMostSide || height > kMostSide) {
        problem = L"no picture of " + std::to_wstring(width) + L" x " + std::to_wstring(height) + L" pixels";
        return false;
    }
    // 24-bit rows: every encoder of the platform takes them, none needs an alpha channel.
    const UINT stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * static_cast<size_t>(height));
    const BYTE* from = static_cast<const BYTE*>(pixels);
    for (int y = 0; y < height; ++y) {
        BYTE* to = rows.data() + static_cast<size_t>(y) * stride;
        const BYTE* row = from + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
        for (int x = 0; x < width; ++x) {
            to[x * 3] = row[x * 4];
            to[x * 3 + 1] = row[x * 4 + 1];
            to[x * 3 + 2] = row[x * 4 + 2];
        }
    }

    ComScope com;
    if (!com.Usable()) {
        problem = L"COM could not be started";
        return false;
    }
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.Out()));
    if (FAILED(result)) return problem = Failure(L"the imaging component", result), false;
    if (FAILED(result = CreateStreamOnHGlobal(nullptr, TRUE, stream.Out())))
        return problem = Failure(L"a memory stream", result), false;
    if (FAILED(result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())))
        return problem = Failure(L"the PNG encoder", result), false;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(result = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(result = encoder->CreateNewFrame(frame.Out(), nullptr)) ||
        FAILED(result = frame->Initialize(nullptr)) ||
        FAILED(result = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) ||
        FAILED(result = frame->SetPixelFormat(&format)))
        return problem = Failure(L"the PNG frame", result), false;
    if (format != GUID_WICPixelFormat24bppBGR) {
        problem = L"the PNG encoder does not take 24-bit pixels";
        return false;
    }
    if (FAILED(result = frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(rows.size()),
                                           rows.data())) ||
        FAILED(result = frame->Commit()) || FAILED(result = encoder->Commit()))
        return problem = Failure(L"writing the PNG", result), false;

    HGLOBAL memory = nullptr;
    if (FAILED(result = GetHGlobalFromStream(stream.Get(), &memory)))
        return problem = Failure(L"reading the PNG", result), false;
    STATSTG stat{};
    if (FAILED(result = stream->Stat(&stat, STATFLAG_NONAME)))
        return problem = Failure(L"reading the PNG", result), false;
    const void* bytes = GlobalLock(memory);
    if (!bytes) {
        problem = L"reading the PNG failed";
        return false;
    }
    png.assign(static_cast<const char*>(bytes), static_cast<size_t>(stat.cbSize.QuadPart));
    GlobalUnlock(memory);
    return true;
}

bool ShrinkScreenArea(const RECT& area, int width, int height, std::vector<unsigned char>& pixels)
{
    if (width <= 0 || height <= 0 || width > kMostSide || height > kMostSide) return false;
    kit::WindowDC screen(nullptr);
    if (!screen.Get()) return false;
    Canvas small(screen.Get(), width, height);
    if (!small.Usable()) return false;
    SetStretchBltMode(small.dc.Get(), HALFTONE);
    SetBrushOrgEx(small.dc.Get(), 0, 0, nullptr);
    if (!StretchBlt(small.dc.Get(), 0, 0, width, height, screen.Get(), area.left, area.top, area.right - area.left,
                    area.bottom - area.top, SRCCOPY | CAPTUREBLT))
        return false;
    GdiFlush();
    const auto* bits = static_cast<const unsigned char*>(small.bits);
    pixels.assign(bits, bits + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    return true;
}

bool CapturePrimaryMonitor(int mostWidth, std::string& png, std::wstring& problem)
{
    // The primary monitor begins at the desktop's origin.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0 || width > kMostSide || height > kMostSide || mostWidth <= 0) {
        problem = L"no monitor to take";
        return false;
    }
    int outWidth = width;
    int outHeight = height;
    if (width > mostWidth) {
        outWidth = mostWidth;
        outHeight = static_cast<int>(static_cast<long long>(height) * mostWidth / width);
        if (outHeight < 1) outHeight = 1;
    }
    kit::WindowDC screen(nullptr);
    if (!screen.Get()) {
        problem = L"the screen cannot be read";
        return false;
    }
    Canvas whole(screen.Get(), width, height);
    if (!whole.Usable()) {
        problem = L"no memory for a picture of " + std::to_wstring(width) + L" x " + std::to_wstring(height);
        return false;
    }
    // CAPTUREBLT takes layered windows too (an effect's overlay).
    if (!BitBlt(whole.dc.Get(), 0, 0, width, height, screen.Get(), 0, 0, SRCCOPY | CAPTUREBLT)) {
        problem = L"the screen cannot be read (" + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    if (outWidth == width) {
        GdiFlush();
        return EncodePng(whole.bits, width, height, png, problem);
    }
    Canvas scaled(screen.Get(), outWidth, outHeight);
    SetStretchBltMode(scaled.dc.Get(), HALFTONE);
    SetBrushOrgEx(scaled.dc.Get(), 0, 0, nullptr);
    if (!scaled.Usable() ||
        !StretchBlt(scaled.dc.Get(), 0, 0, outWidth, outHeight, whole.dc.Get(), 0, 0, width, height, SRCCOPY)) {
        problem = L"the picture cannot be scaled";
        return false;
    }
    GdiFlush();
    return EncodePng(scaled.bits, outWidth, outHeight, png, problem);
}

}  // namespace pictures
