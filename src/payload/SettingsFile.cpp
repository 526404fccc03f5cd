#include "payload/SettingsFile.h"

#include <cstring>
#include <exception>
#include <memory>

#include "payload/Runtime.h"
#include "payload/SaverSetting.h"
#include "platform/Text.h"
#include "platform/WinPath.h"

namespace saver {

namespace {

const char* const kVendorKey = "Software\\Orvanta\\";
const char* const kBuilderProKey = "Software\\Orvanta\\KestroPro";
const char* const kBuilderProFolder = "C:\\Program Files\\kestro\\Screensaver Pro\\";
const char* const kBuilderFolder = "C:\\Program Files\\kestro\\Screensaver\\";

// A short (8.3) program name says nothing about the screensaver's real name; the shell's display
// name does. Only the file name is looked at: a folder with "~" in it is common and harmless.
std::string baseNameOf(Runtime& rt) {
    std::string path = rt.ProgramFilePath;
    if (winpath::fileNameOf(path).find('~') != std::string::npos) {
        const std::string shown = rt.sys.shellDisplayName(path);
        if (!shown.empty()) path = shown;
    }
    // The name is cut where its extension first occurs ("Fish.scr.scr" gives "Fish"): the
    // builder names the settings file and its registry key by the same rule.
    const std::string name = winpath::fileNameOf(path);
    const std::string ext = winpath::extensionOf(name);
    return ext.empty() ? name : name.substr(0, name.find(ext));
}

// The default value of an existing key plus "\"; nullopt when the key does not open. A default
// value that is missing or not a string reads as empty, as a plain string read would give it.
std::optional<std::string> folderFromKey(Runtime& rt, const std::string& subKey) {
    std::unique_ptr<RegistryKey> key = rt.sys.openUserKey(subKey, false);
    if (!key) return std::nullopt;
    const RegValue value = key->read("");
    return (value.type == RegType::String ? value.text : std::string()) + "\\";
}

std::string builderFolderOf(Runtime& rt) {
    std::optional<std::string> folder = folderFromKey(rt, kVendorKey + rt.ProgramBaseName);
    if (!folder) folder = folderFromKey(rt, kBuilderProKey);
    // Anything shorter than "C:\" cannot be a folder: fall back to the usual install places.
    if (!folder || folder->size() < 3)
        folder = rt.fs.folderExists(kBuilderProFolder) ? kBuilderProFolder : kBuilderFolder;
    return *folder;
}

// SaveSettings writes the picture keys first, then the caption keys with ForceHide leading, then
// the rest in table order; new keys land in the document in that order.
std::vector<const SettingKey*> saveOrder() {
    std::vector<const SettingKey*> head, caption, rest;
    bool pastCaption = false;
    for (const SettingKey& key : SettingKeys()) {
        if (!key.written) continue;
        if (std::strcmp(key.section, "Caption") == 0) {
            pastCaption = true;
            if (std::strcmp(key.name, "ForceHide") == 0)
                caption.insert(caption.begin(), &key);
            else
                caption.push_back(&key);
        } else {
            (pastCaption ? rest : head).push_back(&key);
        }
    }
    head.insert(head.end(), caption.begin(), caption.end());
    head.insert(head.end(), rest.begin(), rest.end());
    return head;
}

}  // namespace

void SettlePaths(Runtime& rt) {
    rt.MouseMoveBudget = 20;
    for (MediaList* list : {&rt.Setting.PictureList, &rt.Setting.MusicList, &rt.Setting.FlashList,
                            &rt.Setting.VideoList, &rt.Setting.WebList})
        list->clear();
    rt.ProgramFolder = winpath::folderOf(rt.ProgramFilePath);
    rt.ProgramBaseName = baseNameOf(rt);
    if (!rt.PayloadPresent) rt.SettingsFilePath = rt.ProgramFolder + rt.ProgramBaseName + ".002";
    rt.BuilderFolder = builderFolderOf(rt);
    if (!rt.SettingsFileOpen) {
        rt.SettingsFile = IniDocument::loadFile(rt.fs, rt.SettingsFilePath);
        rt.SettingsFileOpen = true;
    }
}

void LoadSettings(Runtime& rt) {
    const SaverSetting defaults = DefaultSettings(rt.BuilderFolder);
    for (const SettingKey& key : SettingKeys()) {
        const std::optional<std::string> text = rt.SettingsFile.read(key.section, key.name);
        if (!text || !key.fromText(rt.Setting, *text)) key.copy(defaults, rt.Setting);
    }
}

void SaveSettings(Runtime& rt) {
    try {
        for (const SettingKey* key : saveOrder())
            rt.SettingsFile.write(key->section, key->name, key->toText(rt.Setting));
        rt.SettingsFile.saveAtomically(rt.fs, rt.SettingsFilePath);
    } catch (const std::exception&) {
        // A save that fails leaves the file as it was; the dialog closes all the same.
    }
}

std::set<int> ParseEffectList(const std::string& text) {
    std::set<int> effects;
    std::size_t start = 0;
    // Only numbers followed by a comma count: the builder ends every number with one.
    for (std::size_t comma = text.find(',', start); comma != std::string::npos;
         comma = text.find(',', start)) {
        const std::optional<std::int64_t> n =
            text::toInt64Decimal(text.substr(start, comma - start));
        if (n && *n >= 0 && *n <= 151) effects.insert(static_cast<int>(*n));
        start = comma + 1;
    }
    return effects;
}

}  // namespace saver
