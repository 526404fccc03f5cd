// Math: constants and functions. random() draws from a fixed-seed generator, so a run of a
// movie is repeatable.
#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

double Arg(CallInfo& c, std::size_t i) {
    return i < c.args.size() ? c.vm.toNumber(c.args[i]) : std::nan("");
}

// The player converts a second argument too (its valueOf runs), though only the first counts.
template <double (*F)(double)>
Value Unary(CallInfo& c) {
    const double x = Arg(c, 0);
    if (c.args.size() > 1) Arg(c, 1);
    return F(x);
}

double Round(double x) {
    return std::floor(x + 0.5);
}

Value Atan2(CallInfo& c) {
    return std::atan2(Arg(c, 0), Arg(c, 1));
}
Value Pow(CallInfo& c) {
    const double x = Arg(c, 0), y = Arg(c, 1);
    // The player's pow gives NaN for an infinite base under a fractional exponent.
    if (std::isinf(x) && std::isfinite(y) && y != std::trunc(y)) return std::nan("");
    return std::pow(x, y);
}

Value Min(CallInfo& c) {
    if (c.args.empty()) return std::numeric_limits<double>::infinity();
    const double a = Arg(c, 0), b = c.args.size() > 1 ? Arg(c, 1) : std::nan("");
    if (std::isnan(a) || std::isnan(b)) return std::nan("");
    return std::min(a, b);
}

Value Max(CallInfo& c) {
    if (c.args.empty()) return -std::numeric_limits<double>::infinity();
    const double a = Arg(c, 0), b = c.args.size() > 1 ? Arg(c, 1) : std::nan("");
    if (std::isnan(a) || std::isnan(b)) return std::nan("");
    return std::max(a, b);
}

Value Random(CallInfo& c) {
    // Arguments mean nothing, but the player converts the first two (their valueOf runs).
    for (std::size_t i = 0; i < c.args.size() && i < 2; ++i) c.vm.toNumber(c.args[i]);
    static thread_local std::mt19937_64 engine(0xC0FFEE);
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
}

}  // namespace

void InstallMathBuiltins(Interpreter& vm) {
    Object* math = vm.newObject();
    vm.global()->put("Math", math, kDontEnum);
    const std::pair<const char*, NativeFn> fns[] = {{"abs", Unary<std::fabs>},
                                                    {"acos", Unary<std::acos>},
                                                    {"asin", Unary<std::asin>},
                                                    {"atan", Unary<std::atan>},
                                                    {"ceil", Unary<std::ceil>},
                                                    {"cos", Unary<std::cos>},
                                                    {"exp", Unary<std::exp>},
                                                    {"floor", Unary<std::floor>},
                                                    {"log", Unary<std::log>},
                                                    {"round", Unary<Round>},
                                                    {"sin", Unary<std::sin>},
                                                    {"sqrt", Unary<std::sqrt>},
                                                    {"tan", Unary<std::tan>},
                                                    {"atan2", Atan2},
                                                    {"pow", Pow},
                                                    {"min", Min},
                                                    {"max", Max},
                                                    {"random", Random}};
    for (const auto& [name, fn] : fns) vm.method(math, name, fn);
    const std::pair<const char*, double> constants[] = {{"E", std::numbers::e},
                                                        {"LN10", std::numbers::ln10},
                                                        {"LN2", std::numbers::ln2},
                                                        {"LOG10E", std::numbers::log10e},
                                                        {"LOG2E", std::numbers::log2e},
                                                        {"PI", std::numbers::pi},
                                                        {"SQRT1_2", (1 / std::numbers::sqrt2)},
                                                        {"SQRT2", std::numbers::sqrt2}};
    for (const auto& [name, v] : constants) math->put(name, v, kDontEnum | kDontDelete | kReadOnly);
}

}  // namespace saver::swf::avm1
