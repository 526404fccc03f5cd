// The comparison follows the rules the Ruffle test set's own harness applies to these files,
// so a test passes here exactly when its output is as close as the test allows.
#include "swftrace/TraceTolerance.h"

#include <cpptoml.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace saver::swftrace {

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A whole line read as one number, as Rust's f64 parser reads it: decimal or exponent form,
// "inf"/"infinity"/"nan" in any case; no spaces and no hexadecimal.
bool WholeNumber(const std::string& s, double& out) {
    if (s.empty() || std::isspace(static_cast<unsigned char>(s[0])) ||
        s.find_first_of("xX") != std::string::npos)
        return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size();
}

}  // namespace

std::optional<TraceTolerance> TraceTolerance::Read(const std::string& tomlPath) {
    try {
        const auto toml = cpptoml::parse_file(tomlPath);
        const auto table = toml->get_table("approximations");
        if (!table) return std::nullopt;
        TraceTolerance t;
        t.bareNumbers = table->get_as<bool>("bare_numbers").value_or(false);
        if (const auto list = table->get_array_of<std::string>("number_patterns"))
            for (const std::string& p : *list) t.patterns.emplace_back(p, std::regex::ECMAScript);
        t.epsilon = table->get_as<double>("epsilon").value_or(t.epsilon);
        t.maxRelative = table->get_as<double>("max_relative").value_or(t.maxRelative);
        return t;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool TraceTolerance::numbersAgree(double actual, double expected) const {
    if (actual == expected) return true;
    if (std::isinf(actual) || std::isinf(expected)) return false;
    const double diff = std::fabs(actual - expected);
    if (diff <= epsilon) return true;
    return diff <= std::max(std::fabs(actual), std::fabs(expected)) * maxRelative;
}

bool TraceTolerance::linesAgree(const std::string& actual, const std::string& expected) const {
    double a = 0, e = 0;
    if (bareNumbers && WholeNumber(actual, a) && WholeNumber(expected, e))
        return (std::isnan(a) && std::isnan(e)) || numbersAgree(a, e);
    for (const std::regex& pattern : patterns) {
        std::smatch ma, me;
        if (!std::regex_search(actual, ma, pattern) || !std::regex_search(expected, me, pattern))
            continue;
        if (ma.size() != me.size()) return false;
        for (std::size_t i = 1; i < ma.size(); ++i) {
            if (!WholeNumber(ma[i].str(), a) || !WholeNumber(me[i].str(), e)) return false;
            if (!numbersAgree(a, e)) return false;
        }
        return std::regex_replace(actual, pattern, "") == std::regex_replace(expected, pattern, "");
    }
    return actual == expected;
}

bool TraceTolerance::matches(const std::string& actual, const std::string& expected) const {
    const std::vector<std::string> a = Lines(actual), e = Lines(expected);
    if (a.size() != e.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!linesAgree(a[i], e[i])) return false;
    return true;
}

}  // namespace saver::swftrace
