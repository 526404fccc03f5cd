// PreviewDesign: what the preview of run mode 4 shows, decided without a window system.
//
// Two forms exist. The name preview (TOtherPreviewForm) shows the screensaver's title in white on
// black with the maker's credit under it; the picture preview (TCommercePreviewForm) shows one
// still picture stretched over the preview area. ChoosePreviewForm picks one, DescribePreview
// gives the chosen form's layout with every caption filled in as the form shows it; the Win32
// half only turns that description into windows.
//
// All places are in the form's client coordinates, all sizes in pixels at 96 DPI.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace saver {

struct Runtime;

enum class PreviewFormKind {
    Name,     // TOtherPreviewForm
    Picture,  // TCommercePreviewForm
};

struct PreviewBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PreviewBox&) const = default;
};

// A text label of a preview form. The Win32 half gives it the control id `id`, so a program
// hosting the preview can tell the controls apart.
struct PreviewLabel {
    int id = 0;
    const char* name = "";  // "Label1", "Label2"
    PreviewBox box;
    std::string caption;
    int fontPoints = 8;  // MS Sans Serif
    bool bold = false;
    std::uint32_t colour = 0xFFFFFF;  // 0xRRGGBB
    bool visible = true;
    bool autoSize = false;  // one line, box grown or shrunk to the caption
    bool wordWrap = false;
    bool link = false;  // hand cursor; a click opens linkAddress
    std::string hint;   // tooltip text, "" for none
    std::string linkAddress;
};

struct PreviewDesign {
    PreviewFormKind kind = PreviewFormKind::Name;
    const char* formName = "";  // the window class name
    std::string caption;        // the title bar text, seen only without a preview parent
    PreviewBox formBox;         // design position and size of the whole window (top level only)
    std::vector<PreviewLabel> labels;
    // The picture box of the picture preview (Image1); empty width for the name preview.
    int imageId = 0;
    PreviewBox imageBox;
    std::string picturePath;
};

// Control ids of the preview forms' controls.
inline constexpr int kPreviewLabel1Id = 101;
inline constexpr int kPreviewLabel2Id = 102;
inline constexpr int kPreviewImage1Id = 103;

// The picture preview when Build_UseStaticPreview is on and Build_StaticImage resolves to a file
// (ResolveMediaEntry, which rewrites Build_StaticImage in place to the path to load and may
// extract the picture into the workspace); the name preview otherwise. Never throws: a picture
// that cannot be extracted counts as missing.
PreviewFormKind ChoosePreviewForm(Runtime& rt);

// The screensaver's title as the name preview shows it: the program file's name without folder
// and extension, taken from the shell's display name when the program runs under a short 8.3
// name, and cut where the extension text first occurs. It is the base name start-up settled.
std::string PreviewTitle(const Runtime& rt);

// The layout of the form of `kind`, captions as the form shows them. The picture preview's
// Label1 carries the title but is hidden; the Win32 half shows it when the picture cannot be
// decoded.
PreviewDesign DescribePreview(const Runtime& rt, PreviewFormKind kind);

}  // namespace saver
