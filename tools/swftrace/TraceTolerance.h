// TraceTolerance: how a test of the Ruffle sets lets numbers in its output differ from the
// recording ([approximations] in its test.toml). Flash Player and any other player compute
// some numbers (text metrics, bounds after transforms, Math's last bits) slightly apart; such
// a test names the numbers it allows to move and by how much:
//
//   bare_numbers = true        a line that is one number on both sides compares as a number;
//   number_patterns = [REGEX]  a line both sides of which match a pattern compares the
//                              pattern's captured groups as numbers and the rest as text
//                              (the first pattern both match counts);
//   epsilon, max_relative      two numbers agree when they are equal, or differ by at most
//                              epsilon, or by at most max_relative times the larger (both
//                              default to the spacing of doubles at 1).
//
// Every other line, and the number of lines, must match exactly.
// Failure: a toml that cannot be read, or a pattern that is no regular expression, leaves
// the test with exact comparison (Read returns nullopt).
#pragma once

#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace saver::swftrace {

struct TraceTolerance {
    bool bareNumbers = false;
    std::vector<std::regex> patterns;
    double epsilon = 2.220446049250313e-16;
    double maxRelative = 2.220446049250313e-16;

    static std::optional<TraceTolerance> Read(const std::string& tomlPath);
    // Whether two normalised outputs (lines ending in "\n") agree under this tolerance.
    bool matches(const std::string& actual, const std::string& expected) const;

  private:
    bool numbersAgree(double actual, double expected) const;
    bool linesAgree(const std::string& actual, const std::string& expected) const;
};

}  // namespace saver::swftrace
