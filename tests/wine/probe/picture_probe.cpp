// Test-only program: loads picture files with WinPicture and draws each into a 20 x 20 box of a
// 32-bit bitmap, printing one line per file:
//   <file> size=WxH top=RRGGBB bottom=RRGGBB    the picture's size in pixels and the colours
//                                               drawn at (10, 3) and (10, 16)
//   <file> fail                                 Load returned nothing
// Usage: picture_probe FILE...   Exit codes: 0 done, 1 bad usage.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "picture/WinPicture_win.h"

namespace {

constexpr int kBox = 20;

void report(const char* path) {
    std::unique_ptr<saver::WinPicture> picture = saver::WinPicture::Load(path);
    if (!picture) {
        std::printf("%s fail\n", path);
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kBox;
    info.bmiHeader.biHeight = -kBox;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, target);
    const RECT box{0, 0, kBox, kBox};
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    picture->drawStretched(dc, box);
    GdiFlush();
    const auto* pixels = static_cast<const unsigned char*>(bits);
    auto colour = [&](int x, int y) {
        const unsigned char* p = pixels + (y * kBox + x) * 4;
        return (p[2] << 16) | (p[1] << 8) | p[0];
    };
    const SIZE size = picture->size();
    std::printf("%s size=%ldx%ld top=%06X bottom=%06X\n", path, static_cast<long>(size.cx),
                static_cast<long>(size.cy), colour(10, 3), colour(10, 16));
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: picture_probe FILE...\n");
        return 1;
    }
    for (int i = 1; i < argc; ++i) report(argv[i]);
    return 0;
}
