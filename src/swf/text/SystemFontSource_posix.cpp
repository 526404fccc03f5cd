// The host's fonts through FreeType. Outlines and advances are read unscaled and unhinted
// (FT_LOAD_NO_SCALE), in the font's own units (static text); text fields take hinted glyphs of
// their size in whole pixels (loadFitted). The vertical metrics
// come from the OS/2 table's Windows ascent and descent when the font has one, as GDI reports
// them, so a line is as tall on the host as on Windows.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_DRIVER_H
#include FT_MODULE_H

#include <algorithm>
#include <map>
#include <string>
#include "swf/text/SpinLock.h"

#include "swf/text/CachedFontFace.h"
#include "swf/text/DeviceFontNames.h"
#include "swf/text/GlyphOutlineBuilder.h"
#include "swf/text/SystemFontSource.h"

namespace saver::swf {

namespace {

constexpr const char* kFontRoot = "/usr/share/fonts/truetype";

int MoveTo(const FT_Vector* to, void* user) {
    static_cast<GlyphOutlineBuilder*>(user)->moveTo(to->x, to->y);
    return 0;
}
int LineTo(const FT_Vector* to, void* user) {
    static_cast<GlyphOutlineBuilder*>(user)->lineTo(to->x, to->y);
    return 0;
}
int ConicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
    static_cast<GlyphOutlineBuilder*>(user)->quadTo(c->x, c->y, to->x, to->y);
    return 0;
}
int ConicToChords(const FT_Vector* c, const FT_Vector* to, void* user) {
    static_cast<GlyphOutlineBuilder*>(user)->quadToChords(c->x, c->y, to->x, to->y, 64);
    return 0;
}
int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    static_cast<GlyphOutlineBuilder*>(user)->cubicTo(c1->x, c1->y, c2->x, c2->y, to->x, to->y);
    return 0;
}

// The library outlives every face made from it: faces keep it.
struct Library {
    FT_Library handle = nullptr;
    Library() {
        if (FT_Init_FreeType(&handle) != 0) {
            handle = nullptr;
            return;
        }
        // The classic TrueType hinter fits stems in both directions, as the Windows rasteriser
        // does; the newer default fits heights only.
        FT_UInt version = TT_INTERPRETER_VERSION_35;
        FT_Property_Set(handle, "truetype", "interpreter-version", &version);
    }
    ~Library() {
        if (handle) FT_Done_FreeType(handle);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
};

class FreeTypeFace : public CachedFontFace {
  public:
    FreeTypeFace(std::shared_ptr<Library> library, const std::string& path)
        : library_(std::move(library)) {
        if (!library_->handle || FT_New_Face(library_->handle, path.c_str(), 0, &face_) != 0) {
            face_ = nullptr;
            return;
        }
        units_ = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
        double ascent = face_->ascender, descent = -face_->descender;
        const double lineGap = face_->height - (ascent + descent);
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
        if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            const double gap = std::max(
                0.0, lineGap - (os2->usWinAscent + os2->usWinDescent - (ascent + descent)));
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
            leading_ = gap;
        } else {
            leading_ = std::max(0.0, lineGap);
        }
        const double scale = kDeviceEmSquare / units_;
        ascent_ = ascent * scale;
        descent_ = descent * scale;
        leading_ *= scale;
    }
    ~FreeTypeFace() override {
        if (face_) FT_Done_Face(face_);
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    double ascent() const override { return ascent_; }
    double descent() const override { return descent_; }
    double leading() const override { return leading_; }
    bool fitsToPixels() const override { return face_ != nullptr; }

  protected:
    Loaded load(char32_t code) const override {
        Loaded out;
        if (!face_ || code < 0x20) return out;
        const FT_UInt index = FT_Get_Char_Index(face_, code);
        if (index == 0 || FT_Load_Glyph(face_, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0)
            return out;
        const FT_GlyphSlot slot = face_->glyph;
        out.advance = slot->advance.x * kDeviceEmSquare / units_;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_contours <= 0) return out;
        GlyphOutlineBuilder builder(units_);
        const FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
        if (FT_Outline_Decompose(&slot->outline, &funcs, &builder) != 0) return out;
        out.outline = builder.finish();
        out.present = !out.outline.paths.empty();
        return out;
    }

    // The hinted outline at `pixels` pixels per EM comes in 26.6 pixel units (64 a pixel) and is
    // kept in them, so that its grid-fitted points stay exact; FreeType rounds the hinted advance
    // to whole pixels. Its curves become the chords the system's rasteriser would draw.
    Loaded loadFitted(char32_t code, int pixels) const override {
        Loaded out;
        if (!face_ || code < 0x20 || pixels <= 0) return out;
        const FT_UInt index = FT_Get_Char_Index(face_, code);
        if (index == 0 || FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels)) != 0 ||
            FT_Load_Glyph(face_, index, FT_LOAD_NO_BITMAP) != 0)
            return out;
        const FT_GlyphSlot slot = face_->glyph;
        out.advance = slot->advance.x * 20.0 / 64;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_contours <= 0) return out;
        GlyphOutlineBuilder builder(1, 1);
        const FT_Outline_Funcs funcs{MoveTo, LineTo, ConicToChords, CubicTo, 0, 0};
        if (FT_Outline_Decompose(&slot->outline, &funcs, &builder) != 0) return out;
        out.outline = builder.finish();
        out.present = !out.outline.paths.empty();
        return out;
    }

  private:
    std::shared_ptr<Library> library_;
    FT_Face face_ = nullptr;
    double units_ = 2048;
    double ascent_ = 0, descent_ = 0, leading_ = 0;
};

class FreeTypeFontSource : public FontSource {
  public:
    std::shared_ptr<const FontFace> face(const std::string& name, bool bold,
                                         bool italic) const override {
        const std::string path = HostFontFile(DeviceFaceName(name), bold, italic, kFontRoot);
        SpinGuard lock(mutex_);
        auto& slot = faces_[path];
        if (!slot) slot = std::make_shared<FreeTypeFace>(library_, path);
        return slot;
    }

  private:
    std::shared_ptr<Library> library_ = std::make_shared<Library>();
    mutable SpinLock mutex_;
    mutable std::map<std::string, std::shared_ptr<const FreeTypeFace>> faces_;
};

}  // namespace

std::shared_ptr<const FontSource> MakeSystemFontSource() {
    return std::make_shared<FreeTypeFontSource>();
}

}  // namespace saver::swf
