// Array sort and sortOn. Scripts watch the comparator's calls (traces inside a compare function
// are common in content that debugs its sorting), so the algorithm is the player's own rather
// than std::sort: leftmost pivot, Hoare-style scans, an explicit stack with the left part done
// first.
#include "swf/avm1/ArraySort.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

constexpr int kCaseInsensitive = 1, kDescending = 2, kUniqueSort = 4, kReturnIndexedArray = 8,
              kNumeric = 16;

// The comparison without a compare function: numbers as numbers under NUMERIC, else strings.
int DefaultCompare(Interpreter& vm, const Value& a, const Value& b, int flags) {
    int r;
    if ((flags & kNumeric) && a.isNumber() && b.isNumber()) {
        const double x = a.asNumber(), y = b.asNumber();
        r = x < y ? -1 : x > y ? 1 : 0;  // NaN compares equal to everything
    } else {
        std::string x = vm.toString(a), y = vm.toString(b);
        if (flags & kCaseInsensitive) {
            x = FoldCase(x);
            y = FoldCase(y);
        }
        r = x < y ? -1 : x > y ? 1 : 0;
    }
    return (flags & kDescending) ? -r : r;
}

// Sorts the array behind `this` with `cmp`, then applies UNIQUESORT (checked with `unique`)
// and RETURNINDEXEDARRAY; `reverse` turns the sorted order round (sort's DESCENDING).
Value SortArray(CallInfo& c, const SortCompare& cmp, const SortCompare& unique, int flags,
                bool reverse) {
    Object* self = c.thisValue.asObject();
    if (!self) return c.thisValue;
    const std::vector<Value> values = ArrayValues(c.vm, self);
    std::vector<std::pair<std::size_t, Value>> items;
    items.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) items.emplace_back(i, values[i]);
    PlayerQuickSort(items, cmp);
    if (reverse) std::reverse(items.begin(), items.end());
    if (flags & kUniqueSort) {
        for (std::size_t i = 1; i < items.size(); ++i)
            if (unique(items[i - 1].second, items[i].second) == 0) return 0.0;
    }
    if (flags & kReturnIndexedArray) {
        std::vector<Value> idx;
        idx.reserve(items.size());
        for (const auto& item : items) idx.push_back(static_cast<double>(item.first));
        return c.vm.newArray(std::move(idx));
    }
    // The compare function may have changed the array; the sorted values are written back.
    for (std::size_t i = 0; i < items.size(); ++i)
        SetElement(c.vm, self, static_cast<std::int32_t>(i), items[i].second);
    return c.thisValue;
}

// A field sortOn compares: the value the object itself stores (its prototypes and getters
// are not asked); a clip gives its properties.
Value Field(Interpreter& vm, const Value& o, const std::string& name) {
    Object* obj = o.asObject();
    if (obj->kind() == Object::Kind::Clip) return vm.getMember(o, name);
    const Property* p = obj->findOwn(name);
    return p ? p->value : Value{};
}

// The options of sortOn, one per field: an array of the fields' length gives each field its
// own, a primitive gives all fields the same, anything else none.
std::vector<int> FieldFlags(CallInfo& c, std::size_t fieldCount, bool fieldList) {
    std::vector<int> flags(fieldCount, 0);
    const Value opt = c.arg(1);
    if (Object* o = opt.asObject()) {
        if (fieldList && o->kind() == Object::Kind::Array &&
            static_cast<std::size_t>(std::max(ArrayLength(c.vm, o), 0)) == fieldCount)
            for (std::size_t i = 0; i < fieldCount; ++i)
                flags[i] = ToInt32(c.vm.toNumber(GetElement(o, static_cast<std::int32_t>(i))));
    } else if (fieldList || opt.isNumber()) {
        flags.assign(fieldCount, ToInt32(c.vm.toNumber(opt)));
    }
    return flags;
}

}  // namespace

void PlayerQuickSort(std::vector<std::pair<std::size_t, Value>>& items, const SortCompare& cmp) {
    if (items.size() < 2) return;
    std::vector<std::pair<std::size_t, std::size_t>> ranges{{0, items.size() - 1}};
    while (!ranges.empty()) {
        const auto [lo, hi] = ranges.back();
        ranges.pop_back();
        if (lo >= hi) continue;
        const Value pivot = items[lo].second;
        std::size_t left = lo + 1, right = hi;
        for (;;) {
            while (left < right && cmp(pivot, items[left].second) > 0) ++left;
            while (right > lo && cmp(pivot, items[right].second) <= 0) --right;
            if (left >= right) break;
            std::swap(items[left], items[right]);
        }
        std::swap(items[lo], items[right]);
        ranges.emplace_back(right + 1, hi);
        if (right > 0) ranges.emplace_back(lo, right - 1);
    }
}

Value ArraySortMethod(CallInfo& c) {
    Value fn;
    int flags = 0;
    const Value a0 = c.arg(0), a1 = c.arg(1);
    if (a0.isObject()) {
        fn = a0;
        if (a1.isNumber()) flags = ToInt32(a1.asNumber());
    } else if (a0.isNumber()) {
        flags = ToInt32((a1.isNumber() ? a1 : a0).asNumber());
    } else if (!c.args.empty()) {
        return Value{};
    }
    Interpreter& vm = c.vm;
    const int sortFlags = flags & ~kDescending;
    SortCompare byDefault = [&](const Value& x, const Value& y) {
        return DefaultCompare(vm, x, y, sortFlags);
    };
    SortCompare byFunction = [&](const Value& x, const Value& y) {
        const double r = vm.toNumber(vm.call(fn, Value{}, {x, y}));
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    };
    return SortArray(c, fn.isUndefined() ? byDefault : byFunction, byDefault, flags,
                     (flags & kDescending) != 0);
}

Value ArraySortOnMethod(CallInfo& c) {
    std::vector<std::string> fields;
    bool fieldList = false;
    if (c.args.empty()) return Value{};
    if (Object* list = c.arg(0).asObject()) {
        if (list->kind() != Object::Kind::Array) {
            Interpreter& vm = c.vm;
            SortCompare plain = [&](const Value& x, const Value& y) {
                return DefaultCompare(vm, x, y, 0);
            };
            return SortArray(c, plain, plain, 0, false);
        }
        const std::vector<Value> names = ArrayValues(c.vm, list);
        if (names.empty()) return c.thisValue;
        for (const Value& v : names) fields.push_back(c.vm.toString(v));
        fieldList = true;
    } else {
        fields.push_back(c.vm.toString(c.arg(0)));
    }
    const std::vector<int> flags = FieldFlags(c, fields.size(), fieldList);
    Interpreter& vm = c.vm;
    SortCompare cmp = [&](const Value& x, const Value& y) {
        if (!x.isObject() || !y.isObject()) return DefaultCompare(vm, x, y, flags[0]);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const int r =
                DefaultCompare(vm, Field(vm, x, fields[i]), Field(vm, y, fields[i]), flags[i]);
            if (r) return r;
        }
        return 0;
    };
    return SortArray(c, cmp, cmp, flags[0], false);
}

}  // namespace saver::swf::avm1
