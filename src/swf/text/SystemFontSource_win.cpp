// The system's fonts through GDI. Each face is a font created at an EM height of kGdiEm pixels
// in a memory DC of its own, large enough that GDI's integer metrics and advances lose nothing
// that shows; outlines come unhinted (GGO_NATIVE | GGO_UNHINTED) in 16.16 fixed point, y up.
// Text fields take glyphs hinted at their size in whole pixels from the same face made that
// high (loadFitted).
// A name GDI does not have is swapped by GDI for some other face; we notice that through
// GetTextFaceW and take the default sans face instead, as the Windows player does.
#include <windows.h>

#include <cstring>
#include <cwctype>
#include <map>
#include <string>
#include <vector>
#include "swf/text/SpinLock.h"

#include "swf/text/CachedFontFace.h"
#include "swf/text/DeviceFontNames.h"
#include "swf/text/GlyphOutlineBuilder.h"
#include "swf/text/SystemFontSource.h"

namespace saver::swf {

namespace {

constexpr int kGdiEm = 2048;

std::wstring Widen(const std::string& s) {
    for (UINT page : {UINT(CP_UTF8), UINT(CP_ACP)}) {
        const DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int n = MultiByteToWideChar(page, flags, s.data(), int(s.size()), nullptr, 0);
        if (n <= 0) continue;
        std::wstring w(n, L'\0');
        MultiByteToWideChar(page, flags, s.data(), int(s.size()), w.data(), n);
        return w;
    }
    return {};
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

double Fixed(FIXED f) {
    return f.value + f.fract / 65536.0;
}

// Walks the TTPOLYGONHEADER / TTPOLYCURVE records GetGlyphOutlineW wrote.
void Decode(const std::vector<BYTE>& data, GlyphOutlineBuilder& out) {
    std::size_t at = 0;
    while (at + sizeof(TTPOLYGONHEADER) <= data.size()) {
        TTPOLYGONHEADER header;
        std::memcpy(&header, data.data() + at, sizeof header);
        if (header.cb < sizeof header || at + header.cb > data.size()) return;
        const std::size_t end = at + header.cb;
        double x = Fixed(header.pfxStart.x), y = Fixed(header.pfxStart.y);
        out.moveTo(x, y);
        std::size_t p = at + sizeof header;
        while (p + 2 * sizeof(WORD) <= end) {
            WORD type, count;
            std::memcpy(&type, data.data() + p, sizeof type);
            std::memcpy(&count, data.data() + p + sizeof(WORD), sizeof count);
            p += 2 * sizeof(WORD);
            if (p + count * sizeof(POINTFX) > end) return;
            std::vector<POINTFX> pts(count);
            if (count) std::memcpy(pts.data(), data.data() + p, count * sizeof(POINTFX));
            p += count * sizeof(POINTFX);
            auto px = [&](int i) { return Fixed(pts[i].x); };
            auto py = [&](int i) { return Fixed(pts[i].y); };
            if (type == TT_PRIM_LINE) {
                for (int i = 0; i < count; ++i) out.lineTo(px(i), py(i));
            } else if (type == TT_PRIM_QSPLINE) {
                // B-spline: on-curve points are implied halfway between two controls.
                for (int i = 0; i + 1 < count; ++i) {
                    const bool last = i + 2 == count;
                    const double ex = last ? px(i + 1) : (px(i) + px(i + 1)) / 2;
                    const double ey = last ? py(i + 1) : (py(i) + py(i + 1)) / 2;
                    out.quadTo(px(i), py(i), ex, ey);
                }
            } else if (type == TT_PRIM_CSPLINE) {
                for (int i = 0; i + 2 < count; i += 3)
                    out.cubicTo(px(i), py(i), px(i + 1), py(i + 1), px(i + 2), py(i + 2));
            }
        }
        at = end;
    }
}

class GdiFace : public CachedFontFace {
  public:
    GdiFace(const std::string& name, bool bold, bool italic) {
        dc_ = CreateCompatibleDC(nullptr);
        const std::wstring wanted = Widen(DeviceFaceName(name));
        if (!select(wanted, bold, italic)) select(Widen(kDefaultSansFace), bold, italic);
        TEXTMETRICW tm{};
        if (dc_ && GetTextMetricsW(dc_, &tm)) {
            const double scale = kDeviceEmSquare / kGdiEm;
            ascent_ = tm.tmAscent * scale;
            descent_ = tm.tmDescent * scale;
            leading_ = tm.tmExternalLeading * scale;
        }
    }
    ~GdiFace() override {
        if (dc_) DeleteDC(dc_);
        if (font_) DeleteObject(font_);
        for (const auto& [pixels, font] : sized_)
            if (font) DeleteObject(font);
    }
    GdiFace(const GdiFace&) = delete;
    GdiFace& operator=(const GdiFace&) = delete;

    double ascent() const override { return ascent_; }
    double descent() const override { return descent_; }
    double leading() const override { return leading_; }
    bool fitsToPixels() const override { return dc_ != nullptr && font_ != nullptr; }

  protected:
    Loaded load(char32_t code) const override {
        Loaded out;
        if (!dc_ || code < 0x20 || code > 0xFFFF) return out;
        const UINT ch = static_cast<UINT>(code);
        ABC abc{};
        GLYPHMETRICS gm{};
        const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        const UINT format = GGO_NATIVE | GGO_UNHINTED;
        const DWORD size = GetGlyphOutlineW(dc_, ch, format, &gm, 0, nullptr, &identity);
        const double scale = kDeviceEmSquare / kGdiEm;
        if (GetCharABCWidthsW(dc_, ch, ch, &abc))
            out.advance = (abc.abcA + int(abc.abcB) + abc.abcC) * scale;
        else if (size != GDI_ERROR)
            out.advance = gm.gmCellIncX * scale;
        if (size == GDI_ERROR || size == 0 || size > (1u << 20)) return out;
        std::vector<BYTE> data(size);
        if (GetGlyphOutlineW(dc_, ch, format, &gm, size, data.data(), &identity) == GDI_ERROR)
            return out;
        GlyphOutlineBuilder builder(kGdiEm);
        Decode(data, builder);
        out.outline = builder.finish();
        out.present = !out.outline.paths.empty();
        return out;
    }

    // The same face made `pixels` high gives its outlines hinted (GGO_NATIVE alone) in pixels
    // and its advance in whole pixels; the large font is selected again after.
    Loaded loadFitted(char32_t code, int pixels) const override {
        Loaded out;
        if (!dc_ || code < 0x20 || code > 0xFFFF || pixels <= 0) return out;
        HFONT sized = sizedFont(pixels);
        if (!sized) return out;
        SelectObject(dc_, sized);
        const UINT ch = static_cast<UINT>(code);
        GLYPHMETRICS gm{};
        const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        const DWORD size = GetGlyphOutlineW(dc_, ch, GGO_NATIVE, &gm, 0, nullptr, &identity);
        if (size != GDI_ERROR) out.advance = gm.gmCellIncX * 20.0;
        if (size != GDI_ERROR && size > 0 && size <= (1u << 20)) {
            std::vector<BYTE> data(size);
            if (GetGlyphOutlineW(dc_, ch, GGO_NATIVE, &gm, size, data.data(), &identity) !=
                GDI_ERROR) {
                GlyphOutlineBuilder builder(1, 64);  // pixels to 64ths of a pixel
                Decode(data, builder);
                out.outline = builder.finish();
                out.present = !out.outline.paths.empty();
            }
        }
        SelectObject(dc_, font_);
        return out;
    }

  private:
    HFONT sizedFont(int pixels) const {
        auto& slot = sized_[pixels];
        if (!slot) {
            LOGFONTW lf = chosen_;
            lf.lfHeight = -pixels;
            slot = CreateFontIndirectW(&lf);
        }
        return slot;
    }

    // True when GDI gave the face asked for (the font stays selected either way).
    bool select(const std::wstring& face, bool bold, bool italic) {
        if (!dc_) return false;
        LOGFONTW lf{};
        lf.lfHeight = -kGdiEm;
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = italic ? TRUE : FALSE;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_TT_PRECIS;
        lf.lfQuality = ANTIALIASED_QUALITY;
        face.copy(lf.lfFaceName, LF_FACESIZE - 1);  // the rest stays zero
        HFONT font = CreateFontIndirectW(&lf);
        if (!font) return false;
        SelectObject(dc_, font);
        if (font_) DeleteObject(font_);
        font_ = font;
        chosen_ = lf;
        wchar_t got[LF_FACESIZE] = {};
        GetTextFaceW(dc_, LF_FACESIZE, got);
        return SameName(got, lf.lfFaceName);
    }

    HDC dc_ = nullptr;
    HFONT font_ = nullptr;
    LOGFONTW chosen_{};                   // the large font's description
    mutable std::map<int, HFONT> sized_;  // by pixel height, made on first use
    double ascent_ = 0, descent_ = 0, leading_ = 0;
};

class GdiFontSource : public FontSource {
  public:
    std::shared_ptr<const FontFace> face(const std::string& name, bool bold,
                                         bool italic) const override {
        const std::string key = DeviceFaceName(name) + (bold ? "|b" : "|") + (italic ? "i" : "");
        SpinGuard lock(mutex_);
        auto& slot = faces_[key];
        if (!slot) slot = std::make_shared<GdiFace>(name, bold, italic);
        return slot;
    }

  private:
    mutable SpinLock mutex_;
    mutable std::map<std::string, std::shared_ptr<const GdiFace>> faces_;
};

}  // namespace

std::shared_ptr<const FontSource> MakeSystemFontSource() {
    return std::make_shared<GdiFontSource>();
}

}  // namespace saver::swf
