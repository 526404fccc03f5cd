// Any bytes must parse, and what the document writes back must read the same: every section and
// key, every value, and the text itself once more (writing back is stable).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "payload/IniDocument.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

struct Snapshot {
    std::vector<std::string> sections;
    std::vector<std::vector<std::string>> keys;
    std::vector<std::vector<std::optional<std::string>>> values;
};

Snapshot snapshotOf(const saver::IniDocument& doc) {
    Snapshot snap;
    snap.sections = doc.sections();
    for (const std::string& section : snap.sections) {
        check(doc.hasSection(section));
        snap.keys.push_back(doc.keys(section));
        std::vector<std::optional<std::string>> values;
        for (const std::string& key : snap.keys.back()) {
            values.push_back(doc.read(section, key));
            check(values.back().has_value());
        }
        snap.values.push_back(std::move(values));
    }
    return snap;
}

bool operator==(const Snapshot& a, const Snapshot& b) {
    return a.sections == b.sections && a.keys == b.keys && a.values == b.values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    saver::IniDocument doc = saver::IniDocument::parse(input);
    snapshotOf(doc);

    // Change an existing key (when it can be stored) and add one, as saving the settings does.
    const std::vector<std::string> sections = doc.sections();
    if (!sections.empty()) {
        const std::vector<std::string> keys = doc.keys(sections.front());
        if (!keys.empty() && saver::IniDocument::canWrite(sections.front(), keys.front(), "v=1")) {
            doc.write(sections.front(), keys.front(), "v=1");
            check(doc.read(sections.front(), keys.front()) == "v=1");
        }
    }
    doc.write("Set", "FlashSize", "2");
    check(doc.read("set", "FLASHSIZE").has_value());

    const Snapshot before = snapshotOf(doc);
    const std::string text = doc.text();
    const saver::IniDocument again = saver::IniDocument::parse(text);
    check(snapshotOf(again) == before);
    check(again.text() == text);
    return 0;
}
