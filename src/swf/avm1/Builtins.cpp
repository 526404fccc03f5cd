// Bootstraps the object model (Object.prototype and Function.prototype first, since every
// later object links to them) and installs each group of built-ins.
#include "swf/avm1/Builtins.h"
#include "swf/avm1/ClipEffects.h"
#include "swf/avm1/DisplayBuiltins.h"
#include "swf/avm1/TextFieldDisplay.h"
#include "swf/avm1/TextFieldObject.h"

#include <sstream>

namespace saver::swf::avm1 {

void InstallTextSnapshotBuiltins(Interpreter& vm);  // TextSnapshotBuiltins.cpp
void InstallSelectionBuiltins(Interpreter& vm);     // SelectionBuiltins.cpp

Object* MakeClass(Interpreter& vm, const std::string& name, NativeFn ctor, Object* prototype) {
    Object* proto = prototype ? prototype : vm.newObject();
    Object* fn = vm.newFunction(ctor, proto);
    vm.global()->put(name, fn, kDontEnum);
    return fn;
}

void SetPropFlags(Object* object, const std::string& names, std::uint16_t set,
                  std::uint16_t clear) {
    auto apply = [&](Property& p) {
        p.flags = static_cast<std::uint16_t>((p.flags & ~clear) | set);
    };
    if (names.empty()) {
        std::vector<std::string> all;
        object->forEachOwn([&](const Property& p) { all.push_back(p.name); });
        for (const std::string& n : all)
            if (Property* p = object->findOwn(n)) apply(*p);
        return;
    }
    std::stringstream in(names);
    std::string name;
    while (std::getline(in, name, ','))
        if (Property* p = object->findOwn(name)) apply(*p);
}

void Interpreter::installBuiltins() {
    protos.object = heap_.make(Object::Kind::Plain);
    protos.function = heap_.make(Object::Kind::Plain);
    protos.function->put("__proto__", protos.object, kDontEnum | kDontDelete);
    global_ = heap_.make(Object::Kind::Plain);  // no prototype: it answers no toString
    InstallObjectBuiltins(*this);
    InstallArrayBuiltins(*this);
    InstallStringBuiltins(*this);
    InstallMathBuiltins(*this);
    InstallGlobalFunctions(*this);
    InstallDateBuiltins(*this);
    InstallErrorBuiltins(*this);
    InstallBroadcasterBuiltins(*this);
    InstallTextFieldBuiltins(*this);
    InstallGeomBuiltins(*this);
    InstallMatrixBuiltins(*this);
    InstallXmlBuiltins(*this);
    InstallSystemBuiltins(*this);
    InstallLoadVarsBuiltins(*this);
    InstallSharedObjectBuiltins(*this);
    InstallSoundBuiltins(*this);
    protos.clip = newObject();
    InstallTextFieldClipMethods(*this);
    InstallDrawingMethods(*this);
    InstallColorBuiltins(*this);
    InstallColorTransformBuiltins(*this);
    InstallFilterBuiltins(*this);
    InstallColorMatrixFilterBuiltins(*this);
    InstallExternalInterfaceBuiltins(*this);
    InstallXmlSocketBuiltins(*this);
    InstallLocalConnectionBuiltins(*this);
    InstallRemoteLsoUsageBuiltins(*this);
    InstallPrintJobBuiltins(*this);
    InstallContextMenuBuiltins(*this);
    InstallNetStreamBuiltins(*this);
    InstallMovieClipLoaderBuiltins(*this);
    InstallPlaceholderBuiltins(*this);
    InstallClipEffects(*this);
    InstallNativeTable(*this);
    InstallFileReferenceBuiltins(*this);
    InstallTextSnapshotBuiltins(*this);
    InstallSelectionBuiltins(*this);
    // The player's own script library leaves its helper variable `o` behind, set to null.
    global_->put("o", Value(Null{}));
}

}  // namespace saver::swf::avm1
