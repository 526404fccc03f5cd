// Property storage: a vector in creation order (enumeration lists it newest first), with a
// hash index once an object holds more than a handful of names, so both small objects and big
// tables stay cheap.
#include "swf/avm1/Object.h"

#include <algorithm>

#include "swf/avm1/UnicodeCase.h"

namespace saver::swf::avm1 {

namespace {

constexpr std::size_t kIndexFrom = 12;

}  // namespace

std::string FoldCase(std::string_view s) {
    // Names beyond ASCII fold through the player's Unicode table.
    if (std::any_of(s.begin(), s.end(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return MapUtf8Case(s, false);
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool Object::sameName(const std::string& a, std::string_view b) const {
    if (caseSensitive_) return a == b;
    // ASCII compares byte by byte; a name beyond ASCII goes through the Unicode table.
    bool wide = false;
    const bool same =
        a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
            if (static_cast<unsigned char>(x) >= 0x80 || static_cast<unsigned char>(y) >= 0x80) {
                wide = true;
                return x == y;
            }
            const auto lx = (x >= 'A' && x <= 'Z') ? x - 'A' + 'a' : x;
            const auto ly = (y >= 'A' && y <= 'Z') ? y - 'A' + 'a' : y;
            return lx == ly;
        });
    // (Names whose cases differ in length in UTF-8 are told apart; the player's table has
    // hardly any such pair.)
    if (!wide) return same;
    return FoldCase(a) == FoldCase(b);
}

void Object::reindex() {
    index_.clear();
    std::vector<Property> kept;
    kept.reserve(live_);
    for (Property& p : props_)
        if (p.live) kept.push_back(std::move(p));
    props_.swap(kept);
    if (props_.size() < kIndexFrom) return;
    for (std::uint32_t i = 0; i < props_.size(); ++i)
        index_[caseSensitive_ ? props_[i].name : FoldCase(props_[i].name)] = i;
}

Property* Object::findOwn(std::string_view name) {
    return const_cast<Property*>(static_cast<const Object*>(this)->findOwn(name));
}

const Property* Object::findOwn(std::string_view name) const {
    if (!index_.empty()) {
        const auto it = index_.find(caseSensitive_ ? std::string(name) : FoldCase(name));
        if (it == index_.end()) return nullptr;
        const Property& p = props_[it->second];
        return p.live ? &p : nullptr;
    }
    for (const Property& p : props_)
        if (p.live && sameName(p.name, name)) return &p;
    return nullptr;
}

Property& Object::put(std::string_view name, Value value, std::uint16_t flags) {
    if (Property* p = findOwn(name)) {
        p->value = std::move(value);
        return *p;
    }
    static thread_local std::uint32_t serials = 0;
    props_.push_back(
        Property{std::string(name), std::move(value), nullptr, nullptr, flags, true, ++serials});
    ++live_;
    if (!index_.empty())
        index_[caseSensitive_ ? std::string(name) : FoldCase(name)] =
            static_cast<std::uint32_t>(props_.size() - 1);
    else if (props_.size() >= kIndexFrom)
        reindex();
    return props_.back();
}

bool Object::remove(std::string_view name) {
    Property* p = findOwn(name);
    if (!p || (p->flags & kDontDelete)) return false;
    p->live = false;
    p->value = Value{};
    p->getter = p->setter = nullptr;
    --live_;
    if (props_.size() > 16 && live_ < props_.size() / 2)
        reindex();
    else if (!index_.empty())
        index_.erase(caseSensitive_ ? std::string(name) : FoldCase(name));
    return true;
}

Object* Object::proto() const {
    const Property* p = findOwn("__proto__");
    return p ? p->value.asObject() : nullptr;
}

void Object::trace(const std::function<void(Object*)>& visit) const {
    auto value = [&](const Value& v) {
        if (Object* o = v.asObject()) visit(o);
    };
    for (const Property& p : props_) {
        if (!p.live) continue;
        value(p.value);
        if (p.getter) visit(p.getter);
        if (p.setter) visit(p.setter);
    }
    value(primitive);
    for (const Value& v : elements) value(v);
    for (const Value& v : bound) value(v);
    for (const Value& v : watchers) value(v);
    if (xml) {
        if (xml->parent) visit(xml->parent);
        for (Object* o : xml->children) visit(o);
        if (xml->attributes) visit(xml->attributes);
        if (xml->childNodes) visit(xml->childNodes);
    }
    if (script) {
        for (Object* o : script->scope) visit(o);
        if (script->target) visit(script->target);
    }
}

}  // namespace saver::swf::avm1
