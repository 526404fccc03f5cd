// What the settings dialog shows when it opens: texts, hints, which controls and tabs are
// visible, the readme, the banner, and the initial control values, all decided from the
// runtime's settings and payload. The Win32 form applies a ConfigFormView to its windows and
// does nothing else when it is shown.
#pragma once

#include <string>
#include <vector>

#include "config/ConfigControls.h"

namespace saver {

struct Runtime;

// The dialog's caption before " - " + ScrName is appended.
inline constexpr const char* kConfigFormCaption = "Zivuv Eredo Setting";
// How long the pointer rests on a control before its hint appears.
inline constexpr int kHintDelayMs = 100;
// Hint of IntelliRadio.
inline constexpr const char* kIntelliRadioHint = "Play all in random order";

// The pages of PageControl1 in design order.
enum class ConfigPage { Options = 0, ExitConditions = 1, Readme = 2 };

enum class BannerState {
    AsDesigned,  // the banner entry was not found: header unchanged, no picture
    Hidden,      // found, but the banner is switched off
    Shown,       // found and switched on: load bannerPath (hide the banner if that fails)
};

struct ConfigFormView {
    std::string caption;  // kConfigFormCaption + " - " + ScrName
    std::string title;    // title_label

    std::string authorText;
    // With both an e-mail address and a web site the author label becomes a link to
    // "mailto:" + ScrEmail, styled and clickable like WebsiteLabel.
    bool authorIsLink = false;
    std::string authorHint;
    // With neither an e-mail address nor a web site the author takes the web site's row.
    bool authorOnWebsiteRow = false;

    std::string websiteText;
    std::string websiteHint;  // what a click opens; also the tooltip

    bool creditVisible = true;  // _Textkestro and _TextWebsite

    std::vector<ConfigPage> tabs;  // tabs shown, in order (may be none)
    ConfigPage activePage = ConfigPage::Options;
    std::string readme;  // memo1's text, lines separated by CR LF

    bool downloadTimeVisible = false;  // flashlabel and FlashDownloadTimeSpin

    BannerState banner = BannerState::AsDesigned;
    std::string bannerPath;  // the resolved picture file (Shown only)
    bool bannerInFront = false;
    std::string bannerHint;
    bool bannerHandCursor = false;

    ConfigControls controls;
};

// Decides everything FormShow does. Resolves "readme.txt" and the banner entry through
// ResolveMediaEntry (which may extract them from the payload into the workspace); a readme or
// banner that cannot be found or read is simply absent. Never throws for missing files.
ConfigFormView DescribeConfigForm(Runtime& rt);
// A text file's bytes as an edit control shows them: every line break (CR LF, LF or CR alone)
// becomes CR LF and NUL bytes become blanks, so the text neither runs together nor ends early.
std::string ReadmeForMemo(const std::string& bytes);

}  // namespace saver
