// The vertical metrics come from the OS/2 table's Windows ascent and descent when the font has
// one, as GDI reports them, so a line is as tall on the host as on Windows. Hinting uses the
// classic TrueType interpreter (version 35): it fits stems in both directions as the Windows
// rasteriser does; FreeType's newer default fits heights only.
#include "swf/text/FreeTypeFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_DRIVER_H
#include FT_MODULE_H

#include <algorithm>
#include <cmath>

#include "swf/text/GlyphOutlineBuilder.h"

namespace saver::swf {

class FreeTypeLibrary {
  public:
    FreeTypeLibrary() {
        if (FT_Init_FreeType(&handle) != 0) {
            handle = nullptr;
            return;
        }
        FT_UInt version = TT_INTERPRETER_VERSION_35;
        FT_Property_Set(handle, "truetype", "interpreter-version", &version);
    }
    ~FreeTypeLibrary() {
        if (handle) FT_Done_FreeType(handle);
    }
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;

    FT_Library handle = nullptr;
};

std::shared_ptr<FreeTypeLibrary> OpenFreeTypeLibrary() {
    return std::make_shared<FreeTypeLibrary>();
}

namespace {

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

class FreeTypeFace : public CachedFontFace {
  public:
    FreeTypeFace(std::shared_ptr<FreeTypeLibrary> library, const std::string& path,
                 GlyphFitting fitting)
        : library_(std::move(library)), fitting_(fitting) {
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
    bool snapsToPixels() const override { return fitting_ == GlyphFitting::Hinted; }
    double fittedEm(int pixels) const override {
        return fitting_ == GlyphFitting::Hinted ? pixels * 64.0 : units_;
    }

  protected:
    Loaded load(char32_t code) const override {
        Loaded out;
        if (!loadUnscaled(code)) return out;
        out.advance = face_->glyph->advance.x * kDeviceEmSquare / units_;
        decompose(GlyphOutlineBuilder(units_), false, out);
        return out;
    }

    Loaded loadFitted(char32_t code, int pixels) const override {
        if (fitting_ == GlyphFitting::OutlineScaled) return loadScaled(code, pixels);
        return loadHinted(code, pixels);
    }

  private:
    bool loadUnscaled(char32_t code) const {
        if (!face_ || code < 0x20) return false;
        const FT_UInt index = FT_Get_Char_Index(face_, code);
        return index != 0 && FT_Load_Glyph(face_, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) == 0;
    }

    // The hinted outline at `pixels` pixels per EM comes in 26.6 pixel units (64 a pixel) and
    // is kept in them, so that its grid-fitted points stay exact; FreeType rounds the hinted
    // advance to whole pixels. Its curves become the chords the system's rasteriser would draw.
    Loaded loadHinted(char32_t code, int pixels) const {
        Loaded out;
        if (!face_ || code < 0x20 || pixels <= 0) return out;
        const FT_UInt index = FT_Get_Char_Index(face_, code);
        if (index == 0 || FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels)) != 0 ||
            FT_Load_Glyph(face_, index, FT_LOAD_NO_BITMAP) != 0)
            return out;
        out.advance = face_->glyph->advance.x * 20.0 / 64;
        decompose(GlyphOutlineBuilder(1, 1), true, out);
        return out;
    }

    // The plain outline in the font's own units, which are whole numbers: rounding them to a
    // grid of the pixel size would move an edge that passes a pixel centre by a hair to the
    // other side of it. The advance is scaled to twips, cut to whole twips, then rounded to
    // whole pixels.
    Loaded loadScaled(char32_t code, int pixels) const {
        Loaded out;
        if (pixels <= 0 || !loadUnscaled(code)) return out;
        const double twips = std::trunc(face_->glyph->advance.x * pixels * 20.0 / units_);
        out.advance = std::round(twips / 20) * 20;
        decompose(GlyphOutlineBuilder(units_, units_), false, out);
        return out;
    }

    void decompose(GlyphOutlineBuilder builder, bool chords, Loaded& out) const {
        const FT_GlyphSlot slot = face_->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_contours <= 0) return;
        const FT_Outline_Funcs funcs{MoveTo,  LineTo, chords ? ConicToChords : ConicTo,
                                     CubicTo, 0,      0};
        if (FT_Outline_Decompose(&slot->outline, &funcs, &builder) != 0) return;
        out.outline = builder.finish();
        out.present = !out.outline.paths.empty();
    }

    std::shared_ptr<FreeTypeLibrary> library_;
    GlyphFitting fitting_;
    FT_Face face_ = nullptr;
    double units_ = 2048;
    double ascent_ = 0, descent_ = 0, leading_ = 0;
};

}  // namespace

std::shared_ptr<const FontFace> MakeFreeTypeFace(std::shared_ptr<FreeTypeLibrary> library,
                                                 const std::string& path, GlyphFitting fitting) {
    return std::make_shared<FreeTypeFace>(std::move(library), path, fitting);
}

}  // namespace saver::swf
