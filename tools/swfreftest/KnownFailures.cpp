#include "swfreftest/KnownFailures.h"

#include <cstdio>
#include <fstream>

namespace saver::swfreftest {

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

const char* KnownFailures::record(const std::string& id, bool passed, const std::string& detail,
                                  bool quiet) {
    const bool listed = listed_.count(id) != 0;
    const char* verdict = passed ? (listed ? "FIXED" : "PASS") : (listed ? "KNOWN" : "FAIL");
    if (!passed && !listed) ++regressions_;
    if (passed && listed) ++fixed_;
    if (!passed) failures_.push_back(id + "  # " + detail);
    if (!quiet || (!passed && !listed) || (passed && listed)) {
        std::printf("%-5s %s%s%s\n", verdict, id.c_str(), detail.empty() ? "" : ": ",
                    detail.c_str());
    }
    return verdict;
}

bool KnownFailures::write(const std::string& path, const std::string& title) const {
    std::ofstream out(path);
    out << "# " << title << "\n"
        << "# Written by --write-known-failures; a test that starts passing is\n"
           "# reported as FIXED and should be taken off this list.\n";
    for (const std::string& line : failures_) out << line << "\n";
    return static_cast<bool>(out);
}

}  // namespace saver::swfreftest
