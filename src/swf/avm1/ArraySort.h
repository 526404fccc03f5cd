// Array.prototype.sort and sortOn as the player runs them.
//
// The player sorts with a quicksort that always takes the leftmost element of a range as its
// pivot and compares the pivot first (`compare(pivot, item)`); a script's compare function sees
// exactly that sequence of calls, so the order (and the result for inconsistent comparators) is
// part of the behaviour. A compare function's result is read as a number: below 0 "less",
// above 0 "greater", 0 or NaN "equal".
//
// Flags: CASEINSENSITIVE (1), DESCENDING (2), UNIQUESORT (4; the call returns 0 and leaves the
// array alone when two neighbours of the sorted order compare equal), RETURNINDEXEDARRAY (8; a
// new array of the original indices, the array untouched), NUMERIC (16; numbers compared as
// numbers, everything else as strings). Objects that are not arrays sort as empty arrays.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "swf/avm1/Object.h"

namespace saver::swf::avm1 {

// Three-way comparison of two values: <0, 0 or >0.
using SortCompare = std::function<int(const Value&, const Value&)>;

// Sorts `items` (each paired with its original index) in place with the player's quicksort.
void PlayerQuickSort(std::vector<std::pair<std::size_t, Value>>& items, const SortCompare& cmp);

// The script methods (installed by the Array builtins).
Value ArraySortMethod(CallInfo& c);
Value ArraySortOnMethod(CallInfo& c);

}  // namespace saver::swf::avm1
