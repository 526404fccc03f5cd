// What the reference harnesses (swfreftest, swftracetest, swfsoundtest) share: the
// known-failures list that pins the passing tests, the verdict of one test against it, and the
// pass-rate tables. A run reports each test as PASS, FAIL (not listed: a regression), KNOWN
// (listed, still failing) or FIXED (listed, now passing), and can write its failures as the new
// list.
//
// Failure: a list that cannot be read is empty; WriteKnownFailures returns false when the
// file cannot be written.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
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

// The results of one run against a list.
class KnownFailures {
  public:
    explicit KnownFailures(std::set<std::string> listed) : listed_(std::move(listed)) {}
    // Records one result and returns its verdict word. With `quiet`, only regressions and
    // fixed tests are printed (to stdout, one line each).
    const char* record(const std::string& id, bool passed, const std::string& detail, bool quiet);
    int regressions() const { return regressions_; }
    int fixed() const { return fixed_; }
    // Writes the failures of this run as a list, under `title` (a comment line).
    bool write(const std::string& path, const std::string& title) const;

  private:
    std::set<std::string> listed_;
    std::vector<std::string> failures_;
    int regressions_ = 0, fixed_ = 0;
};

}  // namespace saver::reftest
