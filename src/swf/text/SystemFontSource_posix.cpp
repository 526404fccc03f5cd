// The host's fonts through FreeType: the free font file standing in for each face name
// (DeviceFontNames), hinted for text fields as the system hints its device text.
#include <map>
#include <string>

#include "swf/text/DeviceFontNames.h"
#include "swf/text/FreeTypeFace.h"
#include "swf/text/SpinLock.h"
#include "swf/text/SystemFontSource.h"

namespace saver::swf {

namespace {

constexpr const char* kFontRoot = "/usr/share/fonts/truetype";

class FreeTypeFontSource : public FontSource {
  public:
    std::shared_ptr<const FontFace> face(const std::string& name, bool bold,
                                         bool italic) const override {
        const std::string path = HostFontFile(DeviceFaceName(name), bold, italic, kFontRoot);
        SpinGuard lock(mutex_);
        auto& slot = faces_[path];
        if (!slot) slot = MakeFreeTypeFace(library_, path, GlyphFitting::Hinted);
        return slot;
    }

  private:
    std::shared_ptr<FreeTypeLibrary> library_ = OpenFreeTypeLibrary();
    mutable SpinLock mutex_;
    mutable std::map<std::string, std::shared_ptr<const FontFace>> faces_;
};

}  // namespace

std::shared_ptr<const FontSource> MakeSystemFontSource() {
    return std::make_shared<FreeTypeFontSource>();
}

}  // namespace saver::swf
