// flash.external.ExternalInterface: the bridge to a hosting page's scripts. A screensaver
// has no container, so `available` is false, `call` answers null and `addCallback` false.
// The serialisation helpers (`_toXML`, `_toAS`, `_escapeXML`, ...) are plain functions of
// their arguments and work as in a browser, since movies call them directly too.
#include "swf/avm1/Builtins.h"
#include "swf/avm1/ScriptShaped.h"
#include "swf/avm1/XmlParser.h"

namespace saver::swf::avm1 {

namespace {

constexpr std::uint16_t kFixed = kDontEnum | kDontDelete | kReadOnly;
constexpr std::uint16_t kFromSwf8 = 0x1000;

// Replaces every `from` in `s` by `to`, left to right, in one pass.
std::string ReplaceAll(const std::string& s, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t at = 0;
    for (std::size_t hit; (hit = s.find(from, at)) != std::string::npos; at = hit + from.size())
        out.append(s, at, hit - at).append(to);
    return out.append(s, at, std::string::npos);
}

// The text helpers answer null for no argument and for an empty result.
Value TextOrNull(std::string s) {
    if (s.empty()) return Value(Null{});
    return Value(std::move(s));
}

Value EscapeXml(CallInfo& c) {
    if (c.args.empty()) return Value(Null{});
    return TextOrNull(XmlEscape(c.vm.toString(c.args[0])));
}

Value UnescapeXml(CallInfo& c) {
    if (c.args.empty()) return Value(Null{});
    std::string s = c.vm.toString(c.args[0]);
    // One replacement after another, as the player's library does: "&amp;gt;" gives "&gt;".
    const std::pair<const char*, const char*> entities[] = {
        {"&gt;", ">"}, {"&lt;", "<"}, {"&apos;", "'"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities) s = ReplaceAll(s, from, to);
    return TextOrNull(std::move(s));
}

Value JsQuoteString(CallInfo& c) {
    if (c.args.empty()) return Value(Null{});
    return TextOrNull(ReplaceAll(c.vm.toString(c.args[0]), "\"", "\\\""));
}

std::string ToXml(Interpreter& vm, const Value& v, int depth);

// Serialisation stops nesting at this depth (a self-referencing object would never end).
constexpr int kMaxDepth = 64;

// The length of an array-like value; a string's own length counts ("ab" has two elements).
double LengthOf(Interpreter& vm, const Value& v) {
    if (v.isString()) return vm.toNumber(vm.getMember(v, "length"));
    return v.isObject() ? vm.toNumber(vm.getMember(v, "length")) : 0;
}

std::string ArrayToXml(Interpreter& vm, Object* o, int depth, double length) {
    std::string out = "<array>";
    for (long long i = 0; i < length && i < 65536; ++i) {
        const std::string id = std::to_string(i);
        out += "<property id=\"" + id + "\">" + ToXml(vm, vm.getMember(o, id), depth + 1) +
               "</property>";
    }
    return out + "</array>";
}

std::string ArgumentsToXml(Interpreter& vm, Object* o, int depth, double length) {
    std::string out = "<arguments>";
    for (long long i = 1; i < length && i < 65536; ++i)
        out += ToXml(vm, vm.getMember(o, std::to_string(i)), depth + 1);
    return out + "</arguments>";
}

// The enumerable own names of `o` in for..in order (newest first).
std::vector<std::string> OwnNames(const Object* o) {
    std::vector<std::string> names;
    o->forEachOwn([&](const Property& p) {
        if (!(p.flags & kDontEnum)) names.push_back(p.name);
    });
    return {names.rbegin(), names.rend()};
}

std::string ObjectToXml(Interpreter& vm, Object* o, int depth) {
    std::string out = "<object>";
    if (o)
        for (const std::string& name : OwnNames(o))
            out += "<property id=\"" + name + "\">" + ToXml(vm, vm.getMember(o, name), depth + 1) +
                   "</property>";
    return out + "</object>";
}

std::string ToXml(Interpreter& vm, const Value& v, int depth) {
    if (v.isUndefined()) return "<undefined/>";
    if (v.isNull()) return "<null/>";
    if (v.isBool()) return v.asBool() ? "<true/>" : "<false/>";
    if (v.isNumber()) return "<number>" + vm.toString(v) + "</number>";
    if (v.isString()) {
        const std::string text = XmlEscape(v.asString());
        return "<string>" + (text.empty() ? std::string("null") : text) + "</string>";
    }
    Object* o = vm.toObject(v);
    if (!o || o->isFunction() || depth > kMaxDepth) return "<null/>";
    // Anything with its own length goes as an array: `new String("ab")` too.
    if (o->kind() == Object::Kind::Array || o->findOwn("length"))
        return ArrayToXml(vm, o, depth, LengthOf(vm, o));
    return ObjectToXml(vm, o, depth);
}

Value ToXmlFn(CallInfo& c) {
    return ToXml(c.vm, c.arg(0), 0);
}
Value ArrayToXmlFn(CallInfo& c) {
    return ArrayToXml(c.vm, c.vm.toObject(c.arg(0)), 0, LengthOf(c.vm, c.arg(0)));
}
Value ArgumentsToXmlFn(CallInfo& c) {
    return ArgumentsToXml(c.vm, c.vm.toObject(c.arg(0)), 0, LengthOf(c.vm, c.arg(0)));
}
Value ObjectToXmlFn(CallInfo& c) {
    return ObjectToXml(c.vm, c.vm.toObject(c.arg(0)), 0);
}

// `_toAS` reads back the simple values of the XML form from a parsed node; arrays, objects
// and arguments would come from a page and are never sent here.
Value ToAs(CallInfo& c) {
    Object* node = c.vm.toObject(c.arg(0));
    if (!node) return Value{};
    const Value name = c.vm.getMember(node, "nodeName");
    std::string tag;
    if (name.isString()) {
        tag = name.asString();
    } else if (Object* boxed = name.asObject();
               boxed && boxed->kind() == Object::Kind::String && boxed->primitive.isString()) {
        tag = boxed->primitive.asString();
    } else {
        return Value{};
    }
    if (tag == "null") return Value(Null{});
    if (tag == "true") return true;
    if (tag == "false") return false;
    if (tag == "string") return c.vm.toString(c.vm.getMember(node, "firstChild"));
    if (tag == "number")
        return c.vm.toNumber(Value(c.vm.toString(c.vm.getMember(node, "firstChild"))));
    return Value{};
}

Value NewArray(CallInfo& c) {
    return c.vm.newArray();
}
Value NewObject(CallInfo& c) {
    return c.vm.newObject();
}
Value Nothing(CallInfo&) {
    return Value{};
}
Value False(CallInfo&) {
    return false;
}
Value NullFn(CallInfo&) {
    return Value(Null{});
}

}  // namespace

void InstallExternalInterfaceBuiltins(Interpreter& vm) {
    Object* external = PackageObject(vm, "flash.external");
    Object* proto = vm.newObject();
    Object* ei = vm.newFunction(Nothing, proto);
    external->put("ExternalInterface", ei, kDontEnum | kFromSwf8);

    const std::uint16_t f = kFixed | kFromSwf8;
    const std::pair<const char*, NativeFn> natives[] = {
        {"_initJS", Nothing},          {"_objectID", Nothing},
        {"_addCallback", False},       {"_evalJS", Nothing},
        {"_callOut", Nothing},         {"_escapeXML", EscapeXml},
        {"_unescapeXML", UnescapeXml}, {"_jsQuoteString", JsQuoteString}};
    for (const auto& [name, fn] : natives) vm.method(ei, name, fn, f);
    const std::pair<const char*, NativeFn> scripted[] = {{"addCallback", False},
                                                         {"call", NullFn},
                                                         {"_callIn", Nothing},
                                                         {"_arrayToXML", ArrayToXmlFn},
                                                         {"_argumentsToXML", ArgumentsToXmlFn},
                                                         {"_objectToXML", ObjectToXmlFn},
                                                         {"_toXML", ToXmlFn},
                                                         {"_objectToAS", NewObject},
                                                         {"_arrayToAS", NewArray},
                                                         {"_toAS", ToAs},
                                                         {"_argumentsToAS", NewArray},
                                                         {"_arrayToJS", Nothing},
                                                         {"_objectToJS", Nothing},
                                                         {"_toJS", Nothing}};
    for (const auto& [name, fn] : scripted) ScriptShapedMethod(vm, ei, name, fn, f);

    Object* available = vm.newFunction(False);
    Property& p = ei->put("available", Value{}, f);
    p.getter = available;

    // The class is sealed as a whole: its own links too are fixed.
    for (const char* name : {"__proto__", "prototype"})
        if (Property* own = ei->findOwn(name)) own->flags |= kFixed;
}

}  // namespace saver::swf::avm1
