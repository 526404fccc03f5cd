// Name lookup follows the reference player: a list of names separated by commas is tried name
// by name (a generic name gives its default family, any other name a registered family of that
// name); when none is found the first name picks a generic family by a few well-known aliases
// (serif for Times New Roman, typewriter for the Courier faces, sans for everything else).
#include "swfreftest/ReferenceFonts.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

#include "swf/text/DeviceFontNames.h"
#include "swf/text/FreeTypeFace.h"
#include "swf/text/SystemFontSource.h"

namespace saver::swfreftest {
namespace {

constexpr const char* kNotoSans = "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf";

// The generic family a name stands for, "" for a face name.
std::string GenericOf(const std::string& lower) {
    if (lower == "_sans") return "sans";
    if (lower == "_serif") return "serif";
    if (lower == "_typewriter") return "typewriter";
    return {};
}

std::string AliasOf(const std::string& lower) {
    if (lower == "times new roman") return "serif";
    if (lower == "consolas" || lower == "courier" || lower == "courier new" || lower == "nsimsun")
        return "typewriter";
    return "sans";
}

class ReferenceFontSource : public swf::FontSource {
  public:
    explicit ReferenceFontSource(const CaseFonts& fonts) {
        for (const std::string& family : fonts.families)
            families_.insert(swf::FoldFaceName(family));
        for (const auto& [generic, names] : fonts.defaults)
            for (const std::string& name : names)
                defaults_[generic].push_back(swf::FoldFaceName(name));
        if (fonts.defaultFont) {
            families_.insert("noto sans");
            for (const char* generic : {"sans", "serif", "typewriter"})
                defaults_[generic].push_back("noto sans");
        }
    }

    std::shared_ptr<const swf::FontFace> face(const std::string& name, bool, bool) const override {
        std::string first;
        std::size_t start = 0;
        while (start <= name.size()) {
            const std::size_t comma = std::min(name.find(',', start), name.size());
            const std::string one =
                swf::FoldFaceName(swf::TrimFaceName(name.substr(start, comma - start)));
            if (start == 0) first = one;
            start = comma + 1;
            if (const std::string generic = GenericOf(one); !generic.empty())
                return familyFace(defaultFamily(generic));
            if (families_.count(one)) return familyFace(one);
        }
        return familyFace(defaultFamily(AliasOf(first)));
    }

  private:
    std::string defaultFamily(const std::string& generic) const {
        const auto it = defaults_.find(generic);
        if (it == defaults_.end()) return {};
        for (const std::string& family : it->second)
            if (families_.count(family)) return family;
        return {};
    }

    // Only the regular face is registered: bold and italic text draws with it too.
    std::shared_ptr<const swf::FontFace> familyFace(const std::string& family) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto& slot = faces_[family];
        if (!slot)
            slot = swf::MakeFreeTypeFace(library_, ReferenceFamilyFile(family),
                                         swf::GlyphFitting::OutlineScaled);
        return slot;
    }

    std::set<std::string> families_;
    std::map<std::string, std::vector<std::string>> defaults_;
    std::shared_ptr<swf::FreeTypeLibrary> library_ = swf::OpenFreeTypeLibrary();
    mutable std::mutex mutex_;
    mutable std::map<std::string, std::shared_ptr<const swf::FontFace>> faces_;
};

}  // namespace

std::string ReferenceFamilyFile(const std::string& family) {
    return swf::FoldFaceName(family) == "noto sans" ? kNotoSans : "";
}

std::shared_ptr<const swf::FontSource> MakeReferenceFonts(const CaseFonts& fonts) {
    if (!fonts.onlyThese) {
        static const std::shared_ptr<const swf::FontSource> system = swf::MakeSystemFontSource();
        return system;
    }
    return std::make_shared<ReferenceFontSource>(fonts);
}

}  // namespace saver::swfreftest
