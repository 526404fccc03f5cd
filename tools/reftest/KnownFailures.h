// What the reference harnesses (swfreftest, swftracetest) share: the known-failures list that
// pins the passing tests, the verdict of one test against it, and the pass-rate tables.
//
// Failure: a list that cannot be read is empty; WriteKnownFailures returns false when the
// file cannot be written.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace saver::reftest {

// One id per line; "#" starts a comment; blanks around the id are ignored.
std::set<std::string> ReadKnownFailures(const std::string& path);

// `lines` are "id  # reason" entries; `header` is written first as comment lines.
bool WriteKnownFailures(const std::string& path, const std::string& header,
                        const std::vector<std::string>& lines);

struct Tally {
    int passed = 0;
    int total = 0;
    void add(bool pass) {
        ++total;
        passed += pass;
    }
};

// PASS, FAIL, KNOWN (a listed failure) or FIXED (a listed test that passes).
const char* Verdict(bool passed, bool listed);

void PrintRates(const char* title, const std::map<std::string, Tally>& tallies);

}  // namespace saver::reftest
