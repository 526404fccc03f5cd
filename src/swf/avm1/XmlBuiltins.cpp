// XMLNode and XML: the player's small DOM. A node keeps its tree in its XmlNodeData (parent,
// children, attributes); the tree properties (`firstChild`, `nextSibling`, ...) are getters
// on XMLNode.prototype, and `childNodes` is one array per node that the tree methods keep up
// to date. XML documents are nodes without a name; parsing follows XmlParser's rules.
#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/XmlParser.h"

namespace saver::swf::avm1 {

namespace {

XmlNodeData* NodeOf(const Value& v) {
    Object* o = v.asObject();
    return o && o->kind() == Object::Kind::XmlNode ? o->xml.get() : nullptr;
}

// XMLNode.prototype, kept in the `bound` values of the natives that make nodes.
// New nodes take what XMLNode's `prototype` holds now (scripts may replace it), else the
// built-in one.
Object* NodeProto(CallInfo& c) {
    if (!c.callee || c.callee->bound.empty()) return nullptr;
    if (c.callee->bound.size() > 1)
        if (Object* p = c.vm.getMember(c.callee->bound[1], "prototype").asObject()) return p;
    return c.callee->bound[0].asObject();
}

void MakeNode(Interpreter& vm, Object* o, int type, const Value& text) {
    o->setKind(Object::Kind::XmlNode);
    o->xml = std::make_unique<XmlNodeData>();
    o->xml->type = type;
    o->xml->name = type == 1 ? text : Value(Null{});
    o->xml->value = type == 1 ? Value(Null{}) : text;
    o->xml->attributes = vm.newObject();
    o->xml->childNodes = vm.newArray();
}

Object* NewNode(Interpreter& vm, Object* proto, int type, const Value& text) {
    Object* o = vm.newObject(proto);
    MakeNode(vm, o, type, text);
    return o;
}

void SyncChildNodes(XmlNodeData& n) {
    ReplaceArrayValues(n.childNodes, {n.children.begin(), n.children.end()});
}

void Detach(Object* child) {
    XmlNodeData& c = *child->xml;
    if (!c.parent) return;
    XmlNodeData& p = *c.parent->xml;
    std::erase(p.children, child);
    SyncChildNodes(p);
    c.parent = nullptr;
}

// Inserts `child` into `parent` before index `at`, taking it from its old place; refused when
// the child is the parent or one of its ancestors.
void Insert(Object* parent, Object* child, std::size_t at) {
    for (Object* a = parent; a; a = a->xml->parent)
        if (a == child) return;
    XmlNodeData& p = *parent->xml;
    // A node already among the children stays where it is.
    if (child->xml->parent == parent) return;
    Detach(child);
    at = std::min(at, p.children.size());
    p.children.insert(p.children.begin() + static_cast<long>(at), child);
    child->xml->parent = parent;
    SyncChildNodes(p);
}

Value Sibling(const Value& self, int step) {
    XmlNodeData* n = NodeOf(self);
    if (!n) return Value{};
    if (!n->parent) return Value(Null{});
    const auto& kids = n->parent->xml->children;
    auto it = std::find(kids.begin(), kids.end(), self.asObject());
    const long i = (it - kids.begin()) + step;
    if (i < 0 || i >= static_cast<long>(kids.size())) return Value(Null{});
    return kids[static_cast<std::size_t>(i)];
}

Object* Clone(Interpreter& vm, Object* node, bool deep) {
    const XmlNodeData& n = *node->xml;
    Object* copy = NewNode(vm, node->proto(), n.type, Value{});
    copy->xml->name = n.name;
    copy->xml->value = n.value;
    n.attributes->forEachOwn([&](const Property& p) {
        if (!(p.flags & kDontEnum)) copy->xml->attributes->put(p.name, p.value, p.flags);
    });
    if (deep) {
        for (Object* child : n.children) {
            Object* c = Clone(vm, child, true);
            c->xml->parent = copy;
            copy->xml->children.push_back(c);
        }
        SyncChildNodes(*copy->xml);
    }
    return copy;
}

void Write(Interpreter& vm, Object* node, std::string& out) {
    const XmlNodeData& n = *node->xml;
    if (n.type != 1) {
        out += XmlEscape(vm.toString(n.value));
        return;
    }
    const bool named = !n.name.isNullish();
    if (named) {
        out += '<';
        out += vm.toString(n.name);
        // Newest first, as for..in lists them.
        std::vector<std::pair<std::string, Value>> attrs;  // copies: toString may run scripts
        n.attributes->forEachOwn([&](const Property& p) {
            if (!(p.flags & kDontEnum)) attrs.emplace_back(p.name, p.value);
        });
        for (auto it = attrs.rbegin(); it != attrs.rend(); ++it) {
            out += ' ';
            out += it->first;
            out += "=\"";
            out += XmlEscape(vm.toString(it->second));
            out += '"';
        }
        if (n.children.empty()) {
            out += " />";
            return;
        }
        out += '>';
    }
    for (Object* child : n.children) Write(vm, child, out);
    if (named) out += "</" + vm.toString(n.name) + ">";
}

// ---- XMLNode

Value NodeCtor(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (!o || o->kind() != Object::Kind::Plain || c.args.size() < 2) return Value{};
    MakeNode(c.vm, o, static_cast<int>(c.vm.toNumber(c.args[0])), c.vm.toString(c.args[1]));
    return Value{};
}

Value NodeToString(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (!NodeOf(c.thisValue)) return c.vm.toString(Value{});
    std::string out;
    if (o->xml->type == 1 && o->xml->name.isNullish()) {
        for (const char* decl : {"xmlDecl", "docTypeDecl"}) {
            const Value v = c.vm.getMember(o, decl);
            if (!v.isUndefined()) out += c.vm.toString(v);
        }
    }
    Write(c.vm, o, out);
    return out;
}

Value AppendChild(CallInfo& c) {
    if (NodeOf(c.thisValue) && NodeOf(c.arg(0)))
        Insert(c.thisValue.asObject(), c.arg(0).asObject(),
               c.thisValue.asObject()->xml->children.size());
    return Value{};
}

Value InsertBefore(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    if (!n || !NodeOf(c.arg(0)) || !NodeOf(c.arg(1))) return Value{};
    auto it = std::find(n->children.begin(), n->children.end(), c.arg(1).asObject());
    if (it == n->children.end()) return Value{};
    Insert(c.thisValue.asObject(), c.arg(0).asObject(),
           static_cast<std::size_t>(it - n->children.begin()));
    return Value{};
}

Value RemoveNode(CallInfo& c) {
    if (NodeOf(c.thisValue)) Detach(c.thisValue.asObject());
    return Value{};
}

Value CloneNode(CallInfo& c) {
    if (!NodeOf(c.thisValue)) return Value{};
    return Clone(c.vm, c.thisValue.asObject(), c.vm.toBool(c.arg(0)));
}

Value HasChildNodes(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    return n ? Value(!n->children.empty()) : Value{};
}

Value GetNodeType(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    return n ? Value(static_cast<double>(n->type)) : Value{};
}
Value GetNodeName(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    return n ? n->name : Value{};
}
Value GetNodeValue(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    return n ? n->value : Value{};
}
Value SetNodeName(CallInfo& c) {
    if (XmlNodeData* n = NodeOf(c.thisValue); n && !c.arg(0).isUndefined())
        n->name = c.arg(0).isNull() ? Value(Null{}) : Value(c.vm.toString(c.arg(0)));
    return Value{};
}
Value SetNodeValue(CallInfo& c) {
    if (XmlNodeData* n = NodeOf(c.thisValue); n && !c.arg(0).isUndefined())
        n->value = c.arg(0).isNull() ? Value(Null{}) : Value(c.vm.toString(c.arg(0)));
    return Value{};
}
Value GetChildNodes(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    return n ? Value(n->childNodes) : Value{};
}
Value GetAttributes(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    return n ? Value(n->attributes) : Value{};
}
Value GetParentNode(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    if (!n) return Value{};
    return n->parent ? Value(n->parent) : Value(Null{});
}
Value GetFirstChild(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    if (!n) return Value{};
    return n->children.empty() ? Value(Null{}) : Value(n->children.front());
}
Value GetLastChild(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    if (!n) return Value{};
    return n->children.empty() ? Value(Null{}) : Value(n->children.back());
}
Value GetNextSibling(CallInfo& c) {
    return Sibling(c.thisValue, 1);
}
Value GetPreviousSibling(CallInfo& c) {
    return Sibling(c.thisValue, -1);
}

// "prefix:local" split of an element name.
Value NamePart(CallInfo& c, bool prefix) {
    XmlNodeData* n = NodeOf(c.thisValue);
    if (!n) return Value{};
    if (n->name.isNullish()) return Value(Null{});
    const std::string name = c.vm.toString(n->name);
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos) return prefix ? std::string() : name;
    return prefix ? name.substr(0, colon) : name.substr(colon + 1);
}
Value GetPrefix(CallInfo& c) {
    return NamePart(c, true);
}
Value GetLocalName(CallInfo& c) {
    return NamePart(c, false);
}

// The namespace URI bound to `prefix` on `node` or its ancestors, nearest first; of two
// declarations on one node the later one counts. The player takes any attribute whose name
// starts with "xmlns" (xmlns:, xmlnsfoo) as a declaration of the default namespace.
Value LookupNamespace(Interpreter& vm, Object* node, const std::string& prefix) {
    for (Object* a = node; a; a = a->xml->parent) {
        Value found;
        a->xml->attributes->forEachOwn([&](const Property& p) {
            if (p.name.rfind("xmlns", 0) != 0) return;
            if (prefix.empty() || p.name.compare(5, std::string::npos, ":" + prefix) == 0)
                found = vm.toString(p.value);
        });
        if (!found.isUndefined()) return found;
    }
    return Value(Null{});
}
Value GetNamespaceUri(CallInfo& c) {
    XmlNodeData* n = NodeOf(c.thisValue);
    if (!n) return Value{};
    if (n->name.isNullish()) return Value(Null{});
    const Value ns = LookupNamespace(c.vm, c.thisValue.asObject(), c.vm.toString(GetPrefix(c)));
    return ns.isNull() ? Value(std::string()) : ns;
}
Value GetNamespaceForPrefix(CallInfo& c) {
    if (!NodeOf(c.thisValue) || c.args.empty()) return Value{};
    return LookupNamespace(c.vm, c.thisValue.asObject(), c.vm.toString(c.args[0]));
}
Value GetPrefixForNamespace(CallInfo& c) {
    if (!NodeOf(c.thisValue) || c.args.empty()) return Value{};
    const std::string uri = c.vm.toString(c.args[0]);
    for (Object* a = c.thisValue.asObject(); a; a = a->xml->parent) {
        Value found;
        a->xml->attributes->forEachOwn([&](const Property& p) {
            if (p.name.rfind("xmlns", 0) != 0) return;  // the last declaration counts
            if (c.vm.toString(p.value) != uri) return;
            // "xmlns:p" names p; any other "xmlns..." the empty prefix.
            found = p.name.size() > 5 && p.name[5] == ':' ? p.name.substr(6) : std::string();
        });
        if (!found.isUndefined()) return found;
    }
    return Value(Null{});
}

// ---- XML

void Parse(CallInfo& c, Object* doc, const std::string& text) {
    XmlNodeData& d = *doc->xml;
    for (Object* child : d.children) child->xml->parent = nullptr;
    d.children.clear();
    SyncChildNodes(d);
    Interpreter& vm = c.vm;
    // A new parse forgets the declarations of the last one.
    for (const char* decl : {"xmlDecl", "docTypeDecl"})
        if (doc->findOwn(decl)) vm.setMember(doc, decl, Value{});
    Object* proto = NodeProto(c);
    // `idMap`: the elements with an `id` attribute, by id, over every parse of the document.
    Object* ids = vm.getMember(doc, "idMap").asObject();
    if (!ids) {
        ids = vm.newObject();
        doc->put("idMap", ids, kDontEnum);
    }
    XmlParser parser(text, vm.toBool(vm.getMember(doc, "ignoreWhite")));
    std::vector<Object*> open{doc};
    XmlParser::Event e;
    while (parser.next(e)) {
        Object* parent = open.back();
        switch (e.kind) {
            case XmlParser::Event::Open: {
                Object* node = NewNode(vm, proto, 1, e.name);
                // Kept newest first, so for..in (which lists the newest first) and toString
                // both give them in document order.
                for (auto it = e.attributes.rbegin(); it != e.attributes.rend(); ++it) {
                    node->xml->attributes->put(it->first, it->second);
                    if (it->first == "id") ids->put(it->second, node);
                }
                Insert(parent, node, parent->xml->children.size());
                if (!e.selfClosing) open.push_back(node);
                break;
            }
            case XmlParser::Event::Close: {
                // A close tag of an outer element: -9; of no open element: -10.
                auto named = [&](Object* o) { return vm.toString(o->xml->name) == e.name; };
                if (open.size() > 1 && named(parent))
                    open.pop_back();
                else
                    parser.fail(std::any_of(open.begin() + 1, open.end(), named) ? -9 : -10);
                break;
            }
            case XmlParser::Event::Text:
                Insert(parent, NewNode(vm, proto, 3, e.name), parent->xml->children.size());
                break;
            case XmlParser::Event::XmlDecl: {
                const Value old = vm.getMember(doc, "xmlDecl");
                vm.setMember(doc, "xmlDecl",
                             old.isUndefined() ? e.name : vm.toString(old) + e.name);
                break;
            }
            case XmlParser::Event::DocType:
                vm.setMember(doc, "docTypeDecl", e.name);
                break;
        }
    }
    int status = parser.status();
    if (status == 0 && open.size() > 1) status = -9;
    vm.setMember(doc, "status", static_cast<double>(status));
}

Value XmlCtor(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (!o || o->kind() != Object::Kind::Plain) return Value{};
    MakeNode(c.vm, o, 1, Value(Null{}));
    o->put("contentType", std::string("application/x-www-form-urlencoded"), kDontEnum);
    o->put("status", 0.0, kDontEnum);
    // An undefined source makes an empty document (not the text "undefined").
    if (!c.args.empty() && !c.args[0].isUndefined()) Parse(c, o, c.vm.toString(c.args[0]));
    return Value{};
}

Value ParseXml(CallInfo& c) {
    if (!NodeOf(c.thisValue) || c.args.empty() || c.args[0].isUndefined()) return Value{};
    Parse(c, c.thisValue.asObject(), c.vm.toString(c.args[0]));
    return Value{};
}

Value CreateElement(CallInfo& c) {
    if (c.args.empty()) return Value{};
    return NewNode(c.vm, NodeProto(c), 1, c.vm.toString(c.args[0]));
}

Value CreateTextNode(CallInfo& c) {
    if (c.args.empty()) return Value{};
    return NewNode(c.vm, NodeProto(c), 3, c.vm.toString(c.args[0]));
}

Value NoBytes(CallInfo& c) {
    (void)c;
    return Value{};
}

Value AddRequestHeader(CallInfo&) {
    return Value{};
}

struct Accessors {
    const char* name;
    NativeFn get;
    NativeFn set;
};

// Members as the player's XML classes have them: visible and deletable; the ones written in
// ActionScript (`script`) have prototypes of their own.
void Member(Interpreter& vm, Object* target, const char* name, NativeFn fn,
            const std::vector<Value>& bound, bool script) {
    Object* f = vm.newFunction(fn, script ? vm.newObject() : nullptr);
    f->bound = bound;
    target->put(name, f);
}

}  // namespace

void InstallXmlBuiltins(Interpreter& vm) {
    Object* nodeProto = vm.newObject();
    Object* nodeCtor = MakeClass(vm, "XMLNode", NodeCtor, nodeProto);
    const std::vector<Value> home{nodeProto, nodeCtor};
    for (const auto& [name, fn] : std::initializer_list<std::pair<const char*, NativeFn>>{
             {"cloneNode", CloneNode},
             {"removeNode", RemoveNode},
             {"insertBefore", InsertBefore},
             {"appendChild", AppendChild},
             {"hasChildNodes", HasChildNodes},
             {"toString", NodeToString},
             {"getNamespaceForPrefix", GetNamespaceForPrefix},
             {"getPrefixForNamespace", GetPrefixForNamespace}})
        Member(vm, nodeProto, name, fn, {}, false);
    for (const Accessors& m :
         std::initializer_list<Accessors>{{"attributes", GetAttributes, nullptr},
                                          {"childNodes", GetChildNodes, nullptr},
                                          {"firstChild", GetFirstChild, nullptr},
                                          {"lastChild", GetLastChild, nullptr},
                                          {"nextSibling", GetNextSibling, nullptr},
                                          {"nodeName", GetNodeName, SetNodeName},
                                          {"nodeType", GetNodeType, nullptr},
                                          {"nodeValue", GetNodeValue, SetNodeValue},
                                          {"parentNode", GetParentNode, nullptr},
                                          {"previousSibling", GetPreviousSibling, nullptr},
                                          {"prefix", GetPrefix, nullptr},
                                          {"localName", GetLocalName, nullptr},
                                          {"namespaceURI", GetNamespaceUri, nullptr}}) {
        Accessor(vm, nodeProto, m.name, m.get, m.set, home);
        nodeProto->findOwn(m.name)->flags = 0;
    }

    // XML's prototype is an element node made by XMLNode: it has no `constructor` of its own.
    Object* xmlProto = vm.newObject(nodeProto);
    MakeNode(vm, xmlProto, 1, Value(Null{}));
    xmlProto->put("__constructor__", vm.getMember(vm.global(), "XMLNode"), kDontEnum);
    Object* xml = MakeClass(vm, "XML", XmlCtor, xmlProto);
    xmlProto->findOwn("constructor")->flags = 0;
    xmlProto->remove("constructor");
    xml->bound = home;
    for (const auto& [name, fn] :
         std::initializer_list<std::pair<const char*, NativeFn>>{{"createElement", CreateElement},
                                                                 {"createTextNode", CreateTextNode},
                                                                 {"parseXML", ParseXml}})
        Member(vm, xmlProto, name, fn, home, false);
}

// The rest of XML's members, after the loading ones (LoadVarsBuiltins) in the player's order.
void InstallXmlTail(Interpreter& vm, Object* xmlProto) {
    Member(vm, xmlProto, "getBytesLoaded", NoBytes, {}, true);
    Member(vm, xmlProto, "getBytesTotal", NoBytes, {}, true);
    Member(vm, xmlProto, "addRequestHeader", AddRequestHeader, {}, true);
}

}  // namespace saver::swf::avm1
