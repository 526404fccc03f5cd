#include "BuildCommand.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>

#include "ToolPlatform.h"
#include "payload/IniDocument.h"
#include "payload/PayloadBuilder.h"
#include "platform/Text.h"
#include "platform/WinPath.h"

namespace saver {
namespace {

struct ItemArg {
    std::string file;  // native path
    std::string name;  // ANSI; "" = the file's name
    bool raw = true;
};

struct BuildOptions {
    std::string runtime, settings, output, name;
    std::vector<ItemArg> items;
    std::vector<ItemArg> members;
};

// "FILE[=NAME][:raw|:zip]": the kind suffix is taken off the end first, then the text after the
// last "=" is the name. An item name never holds "=" ("**" stands for it).
ItemArg parseItem(std::string arg, bool allowKind) {
    ItemArg a;
    if (allowKind && text::endsWith(arg, ":zip")) {
        a.raw = false;
        arg.resize(arg.size() - 4);
    } else if (allowKind && text::endsWith(arg, ":raw")) {
        arg.resize(arg.size() - 4);
    }
    const auto eq = arg.rfind('=');
    if (eq != std::string::npos) {
        a.name = ToolPlatform::ansiFromArgument(arg.substr(eq + 1));
        arg.resize(eq);
    }
    a.file = arg;
    return a;
}

bool parseOptions(const std::vector<std::string>& args, BuildOptions& o, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size()) {
            err << "saverpack build: "
                << (a.rfind("-", 0) == 0 ? "value missing after " : "unexpected ") << a << "\n";
            return false;
        }
        const std::string& v = args[++i];
        if (a == "--runtime")
            o.runtime = v;
        else if (a == "--settings")
            o.settings = v;
        else if (a == "-o" || a == "--output")
            o.output = v;
        else if (a == "--name")
            o.name = ToolPlatform::ansiFromArgument(v);
        else if (a == "--item")
            o.items.push_back(parseItem(v, true));
        else if (a == "--member")
            o.members.push_back(parseItem(v, false));
        else {
            err << "saverpack build: unknown option " << a << "\n";
            return false;
        }
    }
    for (auto [value, option] :
         {std::pair{&o.runtime, "--runtime"}, std::pair{&o.settings, "--settings"},
          std::pair{&o.output, "-o"}}) {
        if (value->empty()) {
            err << "saverpack build: " << option << " is required\n";
            return false;
        }
    }
    return true;
}

std::string readNative(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PayloadBuildError("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The packed items the settings file's switched-on media entries ask for (upper-cased item name
// -> the entry): the file name part of a file entry, an auxiliary entry without its prefix. Web
// addresses, "(URL) " and "(Favorites) " entries are never packed.
std::map<std::string, std::string> wantedItems(const std::string& settingsText) {
    const IniDocument doc = IniDocument::parse(settingsText);
    std::map<std::string, std::string> wanted;
    for (const char* section : {"Pictures", "Music", "Flash", "Video", "Web"}) {
        for (const std::string& key : doc.keys(section)) {
            if (text::toInt32(doc.read(section, key).value_or("")) == 0) continue;  // off
            if (key.find("://") != std::string::npos || text::startsWith(key, "(URL) ") ||
                text::startsWith(key, "(Favorites) "))
                continue;
            const bool aux =
                text::startsWith(key, "(Resource) ") || text::startsWith(key, "(External) ");
            const std::string item = aux ? key.substr(key.find(' ') + 1) : winpath::fileNameOf(key);
            wanted.emplace(text::upper(item), key);
        }
    }
    return wanted;
}

// Items and entries that do not meet are most likely a typing error: the movie would be
// missing at run time, or packed for nothing.
void warnMismatches(std::ostream& err, const PayloadBuildResult& r,
                    std::map<std::string, std::string> wanted) {
    for (const auto& item : r.items) {
        if (!wanted.erase(text::upper(item.name)))
            err << "saverpack build: warning: no media entry of the settings file names item \""
                << ToolPlatform::consoleFromAnsi(item.name) << "\"\n";
    }
    for (const auto& [name, entry] : wanted)
        err << "saverpack build: warning: media entry \"" << ToolPlatform::consoleFromAnsi(entry)
            << "\" has no packed item\n";
}

void report(std::ostream& out, const BuildOptions& o, const PayloadBuildResult& r) {
    for (const auto& item : r.items)
        out << "  " << ToolPlatform::consoleFromAnsi(item.name) << "  " << item.begin << ".."
            << item.end << (item.raw ? "  raw" : "  zip") << "\n";
    out << "wrote " << o.output << ": " << r.fileSize << " bytes, " << r.items.size()
        << " item(s), payload marker at " << r.markerOffset << "\n";
}

}  // namespace

int RunBuild(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    BuildOptions o;
    if (!parseOptions(args, o, err)) return 1;
    ToolPlatform platform;
    auto windowsPath = [&](const std::string& native) {
        const auto p = platform.windowsPath(native);
        if (!p) throw PayloadBuildError("no Windows path for " + native);
        return *p;
    };
    auto nameOf = [](const ItemArg& a) {
        return a.name.empty() ? ToolPlatform::ansiFromArgument(
                                    std::filesystem::path(a.file).filename().string())
                              : a.name;
    };
    try {
        PayloadBuilder builder(platform.fs());
        builder.setRuntime(ByteSource::file(windowsPath(o.runtime)));
        const std::string settings = readNative(o.settings);
        builder.setSettingsText(settings);
        const std::string saverName =
            o.name.empty()
                ? ToolPlatform::ansiFromArgument(std::filesystem::path(o.output).stem().string())
                : o.name;
        builder.setMemberName(PayloadBuilder::memberNameFor(saverName));
        for (const auto& a : o.items)
            builder.addItem({nameOf(a), ByteSource::file(windowsPath(a.file)), a.raw});
        for (const auto& a : o.members)
            builder.addMember({nameOf(a), ByteSource::file(windowsPath(a.file))});
        const PayloadBuildResult result = builder.build(windowsPath(o.output));
        warnMismatches(err, result, wantedItems(settings));
        report(out, o, result);
        return 0;
    } catch (const std::exception& e) {
        err << "saverpack build: " << ToolPlatform::consoleFromAnsi(e.what()) << "\n";
        return 1;
    }
}

}  // namespace saver
