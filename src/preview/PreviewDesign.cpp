// The layouts are the forms' design-time layouts. Two captions are sized at run time: the
// credit line and the picture preview's title both grow to their text (one line), since a fixed
// box would clip the maker's name and the title; the name preview's title keeps its box and
// wraps inside it.
#include "preview/PreviewDesign.h"

#include "app/MakerSite.h"
#include "payload/MediaLists.h"
#include "payload/Runtime.h"

namespace saver {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kLightGrey = 0xD8D8D8;  // RGB 216, 216, 216

// The picture preview has no fixed place on the screen; centred on a 1024 x 768 desktop it is
// fully visible on the smallest screen the show supports.
constexpr PreviewBox kNameFormBox{360, 233, 517, 392};
constexpr PreviewBox kPictureFormBox{164, 144, 696, 480};

std::vector<PreviewLabel> nameLabels(const Runtime& rt) {
    PreviewLabel title;
    title.id = kPreviewLabel1Id;
    title.name = "Label1";
    title.box = {8, 12, 143, 79};
    title.caption = PreviewTitle(rt);
    title.bold = true;
    title.colour = kWhite;
    title.wordWrap = true;

    PreviewLabel credit;
    credit.id = kPreviewLabel2Id;
    credit.name = "Label2";
    credit.box = {36, 95, 113, 13};
    credit.caption = std::string(kPoweredByText) + " " + kMakerSiteName;
    credit.colour = kLightGrey;
    credit.visible = !rt.Setting.HideKestroText;
    credit.autoSize = true;
    credit.link = true;
    credit.hint = kMakerSiteInvitation;
    credit.linkAddress = kMakerSiteAddress;
    return {title, credit};
}

PreviewLabel pictureTitleLabel(const Runtime& rt) {
    PreviewLabel title;
    title.id = kPreviewLabel1Id;
    title.name = "Label1";
    title.box = {8, 8, 48, 16};
    title.caption = PreviewTitle(rt);
    title.fontPoints = 10;
    title.bold = true;
    title.colour = kWhite;
    title.visible = false;
    title.autoSize = true;
    return title;
}

}  // namespace

PreviewFormKind ChoosePreviewForm(Runtime& rt) {
    if (!rt.Setting.Build_UseStaticPreview) return PreviewFormKind::Name;
    // Extraction errors are swallowed by the resolver; anything else that escapes it (a broken
    // program file stream, say) must not cost the user the preview either.
    try {
        if (ResolveMediaEntry(rt, rt.Setting.Build_StaticImage)) return PreviewFormKind::Picture;
    } catch (...) {
    }
    return PreviewFormKind::Name;
}

std::string PreviewTitle(const Runtime& rt) {
    return rt.ProgramBaseName;
}

PreviewDesign DescribePreview(const Runtime& rt, PreviewFormKind kind) {
    PreviewDesign design;
    design.kind = kind;
    design.caption = PreviewTitle(rt);
    if (kind == PreviewFormKind::Name) {
        design.formName = "TOtherPreviewForm";
        design.formBox = kNameFormBox;
        design.labels = nameLabels(rt);
        return design;
    }
    design.formName = "TCommercePreviewForm";
    design.formBox = kPictureFormBox;
    design.labels = {pictureTitleLabel(rt)};
    design.imageId = kPreviewImage1Id;
    design.imageBox = {4, 4, 152, 112};
    design.picturePath = rt.Setting.Build_StaticImage;
    return design;
}

}  // namespace saver
