// ArrayElements: an array's elements as the player keeps them: own properties named by their
// index ("0", "1", ...) beside a `length` property (DontEnum, DontDelete). Holes are simply
// missing properties, so hasOwnProperty, for..in, delete and ASSetPropFlags treat elements as
// any other property.
//
// The Array methods work on any object through these functions. They read and write elements
// and `length` as stored data: no getter, setter or prototype is asked, and a read-only slot
// keeps its value. Only a real array (Kind::Array) keeps `length` in step with its elements:
// storing an index at or past the length raises it, lowering the length deletes the elements
// past it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "swf/avm1/Value.h"

namespace saver::swf::avm1 {

class Interpreter;
class Object;

// The most elements a single method call walks (a longer array is handled up to that point).
constexpr std::int32_t kMaxArrayWalk = 1 << 24;

// The index a property name stands for: optional leading white space, an optional sign and
// decimal digits, wrapped to 32 bits ("-5" is -5, "2147483648" is -2147483648, "1e3" is no
// index).
std::optional<std::int32_t> ParseArrayIndex(std::string_view name);

// The stored `length`, converted to a 32-bit integer (0 when there is none).
std::int32_t ArrayLength(Interpreter& vm, Object* o);
// Stores `length`; on an array the elements from the new length up to the old one go.
void SetArrayLength(Interpreter& vm, Object* o, std::int32_t length);
// Called before `length` is written through a script: deletes the elements past the new one.
void TrimArrayElements(Interpreter& vm, Object* o, std::int32_t newLength);

bool HasElement(Object* o, std::int32_t i);
Value GetElement(Object* o, std::int32_t i);  // undefined for a hole
void SetElement(Interpreter& vm, Object* o, std::int32_t i, const Value& v);
void DeleteElement(Object* o, std::int32_t i);

// Elements 0 .. length-1 (holes read undefined), at most kMaxArrayWalk of them.
std::vector<Value> ArrayValues(Interpreter& vm, Object* o);
// Writes `values` as elements 0 .. n-1 and makes the length n (what lay past it goes).
void SetArrayValues(Interpreter& vm, Object* o, const std::vector<Value>& values);
// The same for an array the player keeps up to date itself (no script code runs).
void ReplaceArrayValues(Object* o, const std::vector<Value>& values);
// Makes `o` an array holding exactly `values` (elements first, then `length`).
void InitArray(Object* o, const std::vector<Value>& values);

}  // namespace saver::swf::avm1
