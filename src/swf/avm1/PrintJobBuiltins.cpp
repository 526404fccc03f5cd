// PrintJob: a screensaver has no one to answer a print dialog, so `start` fails (false, as
// when the user cancels), and `addPage` and `send` then do nothing. The paper and page sizes
// and the orientation are read-only and zero. Like the player, the first PrintJob made puts those
// properties on the prototype it was made from.
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

Value Zero(CallInfo&) {
    return 0;
}

Value False(CallInfo&) {
    return false;
}

Value Nothing(CallInfo&) {
    return Value{};
}

Value PrintJobCtor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    Object* proto = self ? self->proto() : nullptr;
    if (!proto || proto->findOwn("orientation")) return Value{};
    const std::pair<const char*, NativeFn> sizes[] = {{"paperHeight", Zero},
                                                      {"paperWidth", Zero},
                                                      {"pageHeight", Zero},
                                                      {"pageWidth", Zero},
                                                      {"orientation", Zero}};
    for (const auto& [name, get] : sizes) {
        Property& p = proto->put(name, Value{}, kDontDelete | kReadOnly);
        p.getter = c.vm.newFunction(get);
    }
    return Value{};
}

}  // namespace

void InstallPrintJobBuiltins(Interpreter& vm) {
    // The class came with the player of SWF 7: older code sees the constructor and the sizes,
    // but neither the methods nor what the prototype inherits (its toString included).
    constexpr std::uint16_t kSince7 = 0x400;
    Object* proto = vm.newObject();
    MakeClass(vm, "PrintJob", PrintJobCtor, proto);
    vm.method(proto, "start", False, kSince7);
    vm.method(proto, "addPage", False, kSince7);
    vm.method(proto, "send", Nothing, kSince7);
    if (Property* up = proto->findOwn("__proto__")) up->flags |= kSince7;
}

}  // namespace saver::swf::avm1
