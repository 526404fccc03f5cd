// FormShow of the settings dialog as a pure decision over the runtime's state. Kept apart from
// the windows so that every rule (labels, e-mail, tabs, banner) can be checked on the host.
#include "config/ConfigFormView.h"

#include <exception>

#include "payload/MediaLists.h"
#include "payload/Runtime.h"
#include "platform/Text.h"

namespace saver {

namespace {

std::string loadFile(Runtime& rt, const std::string& path) {
    try {
        auto in = rt.fs.openRead(path);
        if (!in) return {};
        std::string bytes(static_cast<std::size_t>(in->size()), '\0');
        bytes.resize(in->readAt(0, bytes.data(), bytes.size()));
        return bytes;
    } catch (const std::exception&) {
        return {};  // an unreadable readme leaves the page empty
    }
}

// ResolveMediaEntry swallows extraction errors itself; a failure of the file system underneath
// must not keep the dialog from opening either.
bool resolve(Runtime& rt, std::string& entry) {
    try {
        return ResolveMediaEntry(rt, entry);
    } catch (const std::exception&) {
        return false;
    }
}

std::string loadReadme(Runtime& rt) {
    if (rt.PayloadPresent) {
        std::string entry = "readme.txt";
        return resolve(rt, entry) ? loadFile(rt, entry) : std::string();
    }
    const std::string path = rt.BuilderFolder + "readme.txt";
    return rt.fs.fileExists(path) ? loadFile(rt, path) : std::string();
}

void describeLabels(ConfigFormView& v, const SaverSetting& s) {
    v.authorText = s.Author;
    v.websiteText = s.Website;
    v.websiteHint = s.Website;
    if (text::startsWith(text::upper(s.Website), "HTTP://"))
        v.websiteText = s.Website.substr(7, 100);
    if (!s.ScrEmail.empty() && !s.Website.empty()) {
        v.authorIsLink = true;
        v.authorHint = "mailto:" + s.ScrEmail;
    } else if (!s.ScrEmail.empty()) {
        v.websiteHint = "mailto:" + s.ScrEmail;
        v.websiteText = s.ScrEmail;
    } else if (s.Website.empty()) {
        v.authorOnWebsiteRow = true;
    }
}

void describeTabs(ConfigFormView& v, const SaverSetting& s) {
    if (!s.NoUserSetting) {
        v.tabs = {ConfigPage::Options, ConfigPage::ExitConditions, ConfigPage::Readme};
        v.activePage = ConfigPage::Options;
        return;
    }
    // Only the readme remains; without one no tab is left, and the empty last page shows.
    if (!v.readme.empty()) v.tabs = {ConfigPage::Readme};
    v.activePage = ConfigPage::Readme;
}

// The download time matters only for movies fetched from the web. The player treats any
// address with "://" as one; both schemes a movie is served by count here.
bool hasWebMovie(const MediaList& list) {
    for (const std::string& entry : list) {
        const std::string up = text::upper(entry);
        if (up.find("HTTP://") != std::string::npos || up.find("HTTPS://") != std::string::npos)
            return true;
    }
    return false;
}

void describeBanner(ConfigFormView& v, Runtime& rt) {
    const SaverSetting& s = rt.Setting;
    std::string entry = s.Build_BannerImage;
    if (!resolve(rt, entry)) return;  // the header stays as designed
    if (!s.Build_UseBanner) {
        v.banner = BannerState::Hidden;
        return;
    }
    v.banner = BannerState::Shown;
    v.bannerPath = entry;
    v.bannerInFront = s.Build_HideTitle;
    v.bannerHint = s.Build_BannerTips;
    v.bannerHandCursor = !s.Build_BannerURL.empty();
}

}  // namespace

ConfigFormView DescribeConfigForm(Runtime& rt) {
    const SaverSetting& s = rt.Setting;
    ConfigFormView v;
    v.caption = std::string(kConfigFormCaption) + " - " + s.ScrName;
    v.title = s.ScrName;
    v.readme = ReadmeForMemo(loadReadme(rt));
    v.controls = ControlsFromSetting(s);
    v.creditVisible = !s.HideKestroText;
    describeTabs(v, s);
    describeLabels(v, s);
    v.downloadTimeVisible = hasWebMovie(s.FlashList);
    describeBanner(v, rt);
    return v;
}

std::string ReadmeForMemo(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 32);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            out += c == '\0' ? ' ' : c;
        }
    }
    return out;
}

}  // namespace saver
