// LoadVars, and the loading half of XML. Nothing is fetched from a network: a load reads the
// file through the embedder's `Interpreter::loadFile` (the movie's own folder) and answers on
// the next timer pass, `onData(text)`, or `onData(undefined)` when there is no such file, whose
// default handler calls `onLoad(false)` as the player does when a file is missing.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/NextTimerPass.h"

namespace saver::swf::avm1 {

// XML's members that follow its loading ones (XmlBuiltins.cpp).
void InstallXmlTail(Interpreter& vm, Object* xmlProto);

namespace {

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string UrlDecode(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && Hex(s[i + 1]) >= 0 && Hex(s[i + 2]) >= 0) {
            out += static_cast<char>(Hex(s[i + 1]) * 16 + Hex(s[i + 2]));
            i += 2;
        } else {
            out += s[i] == '+' ? ' ' : s[i];
        }
    }
    return out;
}

std::string UrlEncode(std::string_view s) {
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c)) {
            out += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

// Fires the answer to a load: `target.onData(text)`, undefined when the load failed.
Value AnswerLoad(CallInfo& c) {
    if (!c.callee || c.callee->bound.size() < 2) return Value{};
    c.vm.callMethod(c.callee->bound[0], "onData", {c.callee->bound[1]});
    return Value{};
}

// The text of a loaded file: a UTF-8 byte order mark is dropped, as the player drops it.
Value LoadedText(Interpreter& vm, const std::string& url) {
    std::string text;
    if (!vm.loadFile || !vm.loadFile(url, text)) return Value{};
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    return Value(std::move(text));
}

Value Load(CallInfo& c) {
    if (!c.thisValue.isObject() || c.args.empty()) return false;
    c.vm.setMember(c.thisValue, "loaded", false);
    Object* answer = c.vm.newFunction(AnswerLoad);
    answer->bound = {c.thisValue, LoadedText(c.vm, c.vm.toString(c.args[0]))};
    CallOnNextTimerPass(c.vm, answer);
    return true;
}

Value SendAndLoad(CallInfo& c) {
    Object* target = c.arg(1).asObject();
    if (!target || c.args.empty()) return false;
    std::vector<Value> args{c.args[0]};
    CallInfo inner{c.vm, target, args, c.callee, false};
    return Load(inner);
}

Value Send(CallInfo& c) {
    return !c.args.empty();
}

Value Decode(CallInfo& c) {
    if (!c.thisValue.isObject() || c.args.empty()) return Value{};
    const std::string text = c.vm.toString(c.args[0]);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('&', start), text.size());
        const std::string_view pair = std::string_view(text).substr(start, end - start);
        const std::size_t eq = pair.find('=');
        if (eq == std::string_view::npos && !pair.empty())  // a bare name: an empty value
            c.vm.setMember(c.thisValue, UrlDecode(pair), std::string());
        else if (eq != std::string_view::npos && eq > 0)
            c.vm.setMember(c.thisValue, UrlDecode(pair.substr(0, eq)),
                           UrlDecode(pair.substr(eq + 1)));
        start = end + 1;
    }
    return Value{};
}

Value VarsToString(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (!o) return Value{};
    std::vector<std::string> names;
    o->forEachOwn([&](const Property& p) {
        if (!(p.flags & kDontEnum)) names.push_back(p.name);
    });
    std::string out;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!out.empty()) out += '&';
        out += UrlEncode(*it) + "=" + UrlEncode(c.vm.toString(c.vm.getMember(o, *it)));
    }
    return out;
}

// Default onData: a failed load reports onLoad(false); text is decoded (LoadVars) or parsed
// (XML) and reported with onLoad(true).
template <bool Xml>
Value OnData(CallInfo& c) {
    if (c.arg(0).isUndefined()) {
        c.vm.callMethod(c.thisValue, "onLoad", {false});
        return Value{};
    }
    c.vm.callMethod(c.thisValue, Xml ? "parseXML" : "decode", {c.arg(0)});
    c.vm.setMember(c.thisValue, "loaded", true);
    c.vm.callMethod(c.thisValue, "onLoad", {true});
    return Value{};
}

Value Zero(CallInfo&) {
    return Value{};
}

// addRequestHeader(name, value) or addRequestHeader([name, value, ...]): the pairs of text go
// onto `_customHeaders` (made on first use, hidden, and seen from SWF 6) through its `push`.
Value AddRequestHeader(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    if (!self) return Value{};
    if (c.vm.getMember(self, "_customHeaders").isUndefined())
        self->put("_customHeaders", c.vm.newArray(), kDontEnum | kDontDelete | 0x80);
    const Value headers = c.vm.getMember(self, "_customHeaders");
    if (c.arg(0).isString() && c.arg(1).isString()) {
        c.vm.callMethod(headers, "push", {c.args[0], c.args[1]});
        return Value{};
    }
    Object* list = c.arg(0).asObject();
    if (!list || list->kind() != Object::Kind::Array) return Value{};
    const auto n = static_cast<std::size_t>(std::max(ArrayLength(c.vm, list), 0));
    for (std::size_t i = 0; i + 1 < n && i < 65536; i += 2) {
        const Value name = c.vm.getMember(list, std::to_string(i));
        const Value value = c.vm.getMember(list, std::to_string(i + 1));
        if (name.isString() && value.isString()) c.vm.callMethod(headers, "push", {name, value});
    }
    return Value{};
}

Value LoadVarsCtor(CallInfo&) {
    return Value{};
}

}  // namespace

void InstallLoadVarsBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    MakeClass(vm, "LoadVars", LoadVarsCtor, proto);
    // Hidden from SWF 5 code, as in the players of versions 6 to 9 (later players show it).
    vm.global()->findOwn("LoadVars")->flags |= 0x80;
    vm.method(proto, "load", Load);
    vm.method(proto, "send", Send);
    vm.method(proto, "sendAndLoad", SendAndLoad);
    vm.method(proto, "decode", Decode);
    vm.method(proto, "toString", VarsToString);
    vm.method(proto, "onData", OnData<false>);
    vm.method(proto, "onLoad", Zero);
    vm.method(proto, "getBytesLoaded", Zero);
    vm.method(proto, "getBytesTotal", Zero);
    vm.method(proto, "addRequestHeader", AddRequestHeader);
    proto->put("contentType", "application/x-www-form-urlencoded", kDontEnum);

    // XML's loading methods work the same way.
    const Value xml = vm.getMember(vm.global(), "XML");
    if (Object* xmlProto = vm.getMember(xml, "prototype").asObject()) {
        // Visible members of the player's XML class; the handlers are script functions there,
        // each with a prototype.
        for (const auto& [name, fn] : std::initializer_list<std::pair<const char*, NativeFn>>{
                 {"load", Load},
                 {"send", Send},
                 {"sendAndLoad", SendAndLoad},
                 {"addRequestHeader", AddRequestHeader}})
            xmlProto->put(name, vm.newFunction(fn));
        xmlProto->put("onLoad", vm.newFunction(Zero, vm.newObject()));
        xmlProto->put("onData", vm.newFunction(OnData<true>, vm.newObject()));
        InstallXmlTail(vm, xmlProto);
    }
}

}  // namespace saver::swf::avm1
