// ContextMenu and ContextMenuItem: the menu a right click opens over the movie. A screensaver
// ends on a click and shows no menu, so these are data only, kept as the player keeps them:
// a menu has its `onSelect` handler, its `customItems` and the switches of the built-in
// items; `copy` gives a new menu with copies of the custom items that shares the switches
// object, as the player's script library does.
#include <iterator>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/ScriptShaped.h"

namespace saver::swf::avm1 {

namespace {

// The player's built-in menu entries, in the order it makes them.
const char* const kBuiltInItems[] = {"save", "zoom",   "quality",      "play",
                                     "loop", "rewind", "forward_back", "print"};

Value MenuCtor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    if (!self) return Value{};
    // Made in the player's order, so for..in (newest first) lists them as it does.
    self->put("onSelect", c.arg(0));
    Object* items = c.vm.newObject();
    for (auto it = std::rbegin(kBuiltInItems); it != std::rend(kBuiltInItems); ++it)
        items->put(*it, true);
    self->put("builtInItems", items);
    self->put("customItems", c.vm.newArray());
    return Value{};
}

Value MenuCopy(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    if (!self || !c.callee || c.callee->bound.empty()) return Value{};
    const Value copy = c.vm.construct(c.callee->bound[0], {c.vm.getMember(self, "onSelect")});
    c.vm.setMember(copy, "builtInItems", c.vm.getMember(self, "builtInItems"));
    Object* items = c.vm.newArray();
    const Value source = c.vm.getMember(self, "customItems");
    const double length = c.vm.toNumber(c.vm.getMember(source, "length"));
    for (long long i = 0; i < length && i < 65536; ++i) {
        const Value item = c.vm.getMember(source, std::to_string(i));
        c.vm.callMethod(items, "push", {c.vm.callMethod(item, "copy", {})});
    }
    c.vm.setMember(copy, "customItems", items);
    return copy;
}

Value HideBuiltInItems(CallInfo& c) {
    const Value items = c.vm.getMember(c.thisValue, "builtInItems");
    if (!items.isObject()) return Value{};
    for (const char* name : kBuiltInItems) c.vm.setMember(items, name, false);
    return Value{};
}

Value ItemCtor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    if (!self) return Value{};
    self->put("caption", c.arg(0));
    self->put("onSelect", c.arg(1));
    self->put("separatorBefore", c.args.size() > 2 ? c.vm.toBool(c.args[2]) : false);
    self->put("enabled", c.args.size() > 3 ? c.vm.toBool(c.args[3]) : true);
    self->put("visible", c.args.size() > 4 ? c.vm.toBool(c.args[4]) : true);
    return Value{};
}

Value ItemCopy(CallInfo& c) {
    if (!c.callee || c.callee->bound.empty()) return Value{};
    std::vector<Value> args;
    for (const char* name : {"caption", "onSelect", "separatorBefore", "enabled", "visible"})
        args.push_back(c.vm.getMember(c.thisValue, name));
    return c.vm.construct(c.callee->bound[0], args);
}

// The player's library seals these prototypes as a whole, visible from SWF 7.
void Seal(Object* proto) {
    std::vector<std::string> names;
    proto->forEachOwn([&](const Property& p) { names.push_back(p.name); });
    for (const std::string& name : names)
        proto->findOwn(name)->flags |= kDontEnum | kDontDelete | 0x400;
}

}  // namespace

void InstallContextMenuBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    Object* menu = MakeClass(vm, "ContextMenu", MenuCtor, proto);
    ScriptShapedMethod(vm, proto, "copy", MenuCopy)->bound = {menu};
    ScriptShapedMethod(vm, proto, "hideBuiltInItems", HideBuiltInItems);
    Seal(proto);

    Object* itemProto = vm.newObject();
    Object* item = MakeClass(vm, "ContextMenuItem", ItemCtor, itemProto);
    ScriptShapedMethod(vm, itemProto, "copy", ItemCopy)->bound = {item};
    Seal(itemProto);
}

}  // namespace saver::swf::avm1
