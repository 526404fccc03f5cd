// Two kinds of picture behind WinPicture: JPEG files decoded by libjpeg into a 32-bit DIB
// section, and everything else Windows decodes itself (BMP, GIF, icons, metafiles) held as an
// OLE IPicture. Both read the whole file into memory first (at most kMaxFileBytes), so a
// picture on a slow or vanishing medium never stalls a later paint.
#include "picture/WinPicture_win.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "picture/JpegDecoder.h"

namespace saver {
namespace {

// Pictures for a banner or a 152 x 112 preview; anything larger is not a picture we show.
constexpr std::uint64_t kMaxFileBytes = 64ull * 1024 * 1024;

enum class Decoder { kNone, kJpeg, kOle };

Decoder decoderFor(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("\\/:");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return Decoder::kNone;
    }
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (ext == "jpg" || ext == "jpeg") return Decoder::kJpeg;
    if (ext == "bmp" || ext == "gif" || ext == "ico" || ext == "wmf" || ext == "emf") {
        return Decoder::kOle;
    }
    return Decoder::kNone;
}

std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
        static_cast<std::uint64_t>(size.QuadPart) <= kMaxFileBytes) {
        std::vector<std::uint8_t> data(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        if (ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &got, nullptr) &&
            got == data.size()) {
            bytes = std::move(data);
        }
    }
    CloseHandle(file);
    return bytes;
}

class DibPicture final : public WinPicture {
  public:
    DibPicture(HBITMAP bitmap, SIZE size) : bitmap_(bitmap), size_(size) {}
    ~DibPicture() override { DeleteObject(bitmap_); }

    SIZE size() const override { return size_; }

    void drawStretched(HDC dc, const RECT& box) const override {
        HDC source = CreateCompatibleDC(dc);
        if (!source) return;
        HGDIOBJ old = SelectObject(source, bitmap_);
        // HALFTONE averages the source pixels, so a large photo shrunk into a small box stays
        // smooth; it needs the brush origin reset after the mode change.
        const int oldMode = SetStretchBltMode(dc, HALFTONE);
        POINT oldOrigin{};
        SetBrushOrgEx(dc, 0, 0, &oldOrigin);
        StretchBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, source, 0, 0,
                   size_.cx, size_.cy, SRCCOPY);
        SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
        SetStretchBltMode(dc, oldMode);
        SelectObject(source, old);
        DeleteDC(source);
    }

  private:
    HBITMAP bitmap_;
    SIZE size_;
};

std::unique_ptr<WinPicture> loadJpeg(const std::vector<std::uint8_t>& bytes) {
    std::optional<BgraPicture> decoded = DecodeJpeg(bytes);
    if (!decoded) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = decoded->width;
    info.bmiHeader.biHeight = -decoded->height;  // top-down rows, as decoded
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return nullptr;
    std::memcpy(bits, decoded->pixels.data(), decoded->pixels.size());
    return std::make_unique<DibPicture>(bitmap, SIZE{decoded->width, decoded->height});
}

class OlePicture final : public WinPicture {
  public:
    OlePicture(IPicture* picture, SIZE himetric, SIZE pixels)
        : picture_(picture), himetric_(himetric), pixels_(pixels) {}
    ~OlePicture() override { picture_->Release(); }

    SIZE size() const override { return pixels_; }

    void drawStretched(HDC dc, const RECT& box) const override {
        // Render takes the source in HIMETRIC units with y running upwards: start at the
        // bottom edge and give a negative height to get the picture upright.
        const int oldMode = SetStretchBltMode(dc, HALFTONE);
        POINT oldOrigin{};
        SetBrushOrgEx(dc, 0, 0, &oldOrigin);
        picture_->Render(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, 0,
                         himetric_.cy, himetric_.cx, -himetric_.cy, nullptr);
        SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
        SetStretchBltMode(dc, oldMode);
    }

  private:
    IPicture* picture_;
    SIZE himetric_;
    SIZE pixels_;
};

// HIMETRIC (0.01 mm) to screen pixels at the screen's logical resolution.
SIZE himetricToPixels(SIZE himetric) {
    HDC screen = GetDC(nullptr);
    const int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    const int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return {MulDiv(himetric.cx, dpiX, 2540), MulDiv(himetric.cy, dpiY, 2540)};
}

IPicture* decodeWithOle(const std::vector<std::uint8_t>& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return nullptr;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    IPicture* picture = nullptr;
    const HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                      reinterpret_cast<void**>(&picture));
    stream->Release();  // frees the memory too
    return SUCCEEDED(hr) ? picture : nullptr;
}

std::unique_ptr<WinPicture> loadWithOle(const std::vector<std::uint8_t>& bytes) {
    // The picture objects need COM on this thread; balance only a successful initialisation.
    const HRESULT init = CoInitialize(nullptr);
    IPicture* picture = decodeWithOle(bytes);
    std::unique_ptr<WinPicture> result;
    if (picture) {
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        if (SUCCEEDED(picture->get_Width(&width)) && SUCCEEDED(picture->get_Height(&height)) &&
            width > 0 && height > 0) {
            const SIZE himetric{static_cast<LONG>(width), static_cast<LONG>(height)};
            result = std::make_unique<OlePicture>(picture, himetric, himetricToPixels(himetric));
        } else {
            picture->Release();
        }
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return result;
}

}  // namespace

std::unique_ptr<WinPicture> WinPicture::Load(const std::string& path) {
    const Decoder decoder = decoderFor(path);
    if (decoder == Decoder::kNone) return nullptr;
    std::optional<std::vector<std::uint8_t>> bytes = readFile(path);
    if (!bytes) return nullptr;
    try {
        return decoder == Decoder::kJpeg ? loadJpeg(*bytes) : loadWithOle(*bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace saver
