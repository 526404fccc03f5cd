// KnownFailures: the pinning of a conformance set, shared by the reference harnesses. A list
// file names the tests that do not pass yet; a run reports each test as PASS, FAIL (not listed:
// a regression), KNOWN (listed, still failing) or FIXED (listed, now passing), and can write
// the failures of the run as the new list.
//
// List format: one test id per line; "#" starts a comment; blanks around the id are ignored.
// A missing list file is an empty list.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace saver::swfreftest {

std::set<std::string> ReadKnownFailures(const std::string& path);

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

}  // namespace saver::swfreftest
