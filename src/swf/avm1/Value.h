// Value: one ActionScript 1/2 value: undefined, null, a boolean, a number, a string or a
// reference to an object of the heap. Values are copied freely; an object reference stays
// valid while the object is reachable from the interpreter's roots (see Heap).
//
// The conversions here need no script to run: number and string rules of each SWF version.
// Conversions that may call valueOf/toString on an object live in Interpreter.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace saver::swf::avm1 {

class Object;

struct Undefined {
    bool operator==(const Undefined&) const = default;
};
struct Null {
    bool operator==(const Null&) const = default;
};

class Value {
  public:
    Value() = default;
    Value(Undefined) {}
    Value(Null v) : v_(v) {}
    Value(bool b) : v_(b) {}
    // A NaN gets a payload of its own: the player keeps every computed number in its own
    // cell, and two NaNs are equal (==) only when they are the same cell (see sameNaN).
    Value(double n) : v_(n != n ? FreshNaN(n) : n) {}
    Value(int n) : v_(static_cast<double>(n)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(Object* o) : v_(o) {
        if (!o) v_ = Null{};
    }

    bool isUndefined() const { return v_.index() == 0; }
    bool isNull() const { return v_.index() == 1; }
    bool isNullish() const { return v_.index() <= 1; }
    bool isBool() const { return v_.index() == 2; }
    bool isNumber() const { return v_.index() == 3; }
    bool isString() const { return v_.index() == 4; }
    bool isObject() const { return v_.index() == 5; }

    bool asBool() const { return std::get<bool>(v_); }
    double asNumber() const { return std::get<double>(v_); }
    const std::string& asString() const { return std::get<std::string>(v_); }
    Object* asObject() const { return isObject() ? std::get<Object*>(v_) : nullptr; }

    // Identity for objects, value for primitives (NaN is not equal to itself).
    bool sameAs(const Value& other) const;
    // Both are NaN numbers that come from one computation (copies of one value).
    bool sameNaN(const Value& other) const;

  private:
    static double FreshNaN(double n);
    std::variant<Undefined, Null, bool, double, std::string, Object*> v_;
};

// Number to string as the player prints numbers: integers plainly, else 15 significant
// digits, exponent form outside 1e-5 <= |x| < 1e15 ("1e+21", "7.62939453125e-6").
std::string NumberToString(double n);
// Number in another radix (2..36) as Number.toString(radix): integers only, the rest truncated.
std::string NumberToRadixString(double n, int radix);
// String to number for SWF version `version`: blanks skipped in front, trailing garbage gives
// NaN (SWF 5+) or the numeric prefix (SWF 4, 0 when none); hex "0x" and octal "0" integers
// from SWF 6.
double StringToNumber(const std::string& s, int version);
// ECMA ToInt32: NaN and infinities to 0, else truncated and wrapped to 32 bits.
std::int32_t ToInt32(double n);
// ToString of a primitive value (objects print "[object Object]" here).
std::string PrimitiveToString(const Value& v, int version);

}  // namespace saver::swf::avm1
