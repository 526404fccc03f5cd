#include "reftest/KnownFailures.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace saver::reftest {

std::set<std::string> ReadKnownFailures(const std::string& path) {
    std::set<std::string> ids;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) continue;
        const auto last = line.find_last_not_of(" \t\r");
        ids.insert(line.substr(first, last - first + 1));
    }
    return ids;
}

bool WriteKnownFailures(const std::string& path, const std::string& header,
                        const std::vector<std::string>& lines) {
    std::ofstream out(path);
    std::stringstream h(header);
    std::string line;
    while (std::getline(h, line)) out << "# " << line << "\n";
    for (const std::string& l : lines) out << l << "\n";
    return static_cast<bool>(out);
}

const char* Verdict(bool passed, bool listed) {
    return passed ? (listed ? "FIXED" : "PASS") : (listed ? "KNOWN" : "FAIL");
}

void PrintRates(const char* title, const std::map<std::string, Tally>& tallies) {
    std::printf("%s\n", title);
    for (const auto& [name, t] : tallies) {
        std::printf("  %-36s %4d / %-4d %5.1f%%\n", name.c_str(), t.passed, t.total,
                    t.total ? 100.0 * t.passed / t.total : 0.0);
    }
}

const char* KnownFailures::record(const std::string& id, bool passed, const std::string& detail,
                                  bool quiet) {
    const bool listed = listed_.count(id) != 0;
    const char* verdict = Verdict(passed, listed);
    if (!passed && !listed) ++regressions_;
    if (passed && listed) ++fixed_;
    if (!passed) failures_.push_back(id + "  # " + detail);
    if (!quiet || passed == listed) {
        std::printf("%-5s %s%s%s\n", verdict, id.c_str(), detail.empty() ? "" : ": ",
                    detail.c_str());
    }
    return verdict;
}

bool KnownFailures::write(const std::string& path, const std::string& title) const {
    return WriteKnownFailures(
        path,
        title +
            "\nWritten by --write-known-failures; a test that starts "
            "passing is\nreported as FIXED and should be taken off this list.",
        failures_);
}

}  // namespace saver::reftest
