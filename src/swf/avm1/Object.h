// Object: an ActionScript object of the heap: its own properties in creation order (with the
// flags ASSetPropFlags sets, and getter/setter pairs made by addProperty), and what makes a
// built-in kind special: the code of a function, the primitive inside a Boolean/Number/String
// object, the time of a Date, the timeline of a movie clip.
//
// The prototype link is the property `__proto__`, as in the player: deleting it cuts the chain.
// Property names match case-insensitively when the object was made for SWF 6 or older
// content, exactly otherwise.
//
// Objects are made and freed only by Heap; an Object never owns another object.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "swf/avm1/Value.h"

namespace saver::swf {
class TimelineInstance;
class TextFieldState;
class BitmapSurface;
}

namespace saver::swf::avm1 {

class Interpreter;
struct TextFormatData;

enum PropertyFlag : std::uint16_t {
    kDontEnum = 1,
    kDontDelete = 2,
    kReadOnly = 4,
    kVersionFlags = 0x80 | 0x100 | 0x400 | 0x1000 | 0x2000 | 0x4000,
};

struct Property {
    std::string name;
    Value value;
    Object* getter = nullptr;  // addProperty pair: reads and writes call these
    Object* setter = nullptr;
    std::uint16_t flags = 0;
    bool live = true;  // false once deleted (the slot is reused or compacted later)
    std::uint32_t serial = 0;  // tells a property apart from one deleted and made again
};

// What a native function is given.
struct CallInfo {
    Interpreter& vm;
    Value thisValue;
    const std::vector<Value>& args;
    Object* callee = nullptr;
    bool construct = false;  // called by `new`: thisValue is the fresh object

    Value arg(std::size_t i) const { return i < args.size() ? args[i] : Value{}; }
};
using NativeFn = Value (*)(CallInfo&);

// A function defined by DefineFunction or DefineFunction2.
struct ScriptCode {
    const std::uint8_t* code = nullptr;  // the body; owned by the movie, outlives the heap
    std::size_t size = 0;
    std::string name;
    struct Param {
        int reg = 0;  // 0: a local variable
        std::string name;
    };
    std::vector<Param> params;
    int registerCount = 0;
    std::uint16_t flags = 0;  // DefineFunction2 preload/suppress flags
    bool v2 = false;
    int version = 0;                     // SWF version of the defining code
    std::vector<Object*> scope;          // the chain at definition (SWF 6+ closures)
    std::vector<std::string> constants;  // the constant pool at definition
    Object* target = nullptr;            // the timeline the function was defined on
};

// An XMLNode's place in its tree.
struct XmlNodeData {
    int type = 1;  // 1 element, 3 text
    Value name;    // element name, or null
    Value value;   // text, or null
    Object* parent = nullptr;
    std::vector<Object*> children;
    Object* attributes = nullptr;  // a plain object, names in document order
    Object* childNodes = nullptr;  // the array scripts see, kept equal to `children`
};

class Object {
  public:
    enum class Kind : std::uint8_t {
        Plain,
        Function,
        Array,
        Boolean,
        Number,
        String,
        Date,
        Error,
        Clip,
        Super,
        XmlNode
    };

    Object(Kind kind, bool caseSensitive) : kind_(kind), caseSensitive_(caseSensitive) {}

    Kind kind() const { return kind_; }
    void setKind(Kind kind) { kind_ = kind; }  // a native constructor making `this` its kind
    bool caseSensitive() const { return caseSensitive_; }
    bool isFunction() const { return kind_ == Kind::Function; }

    // Own properties.
    Property* findOwn(std::string_view name);
    const Property* findOwn(std::string_view name) const;
    // Sets (or creates, at the end of the order) a plain data property; flags are kept on an
    // existing one.
    Property& put(std::string_view name, Value value, std::uint16_t flags = 0);
    bool remove(std::string_view name);  // false when absent or DontDelete
    // Live properties, oldest first.
    template <typename F>
    void forEachOwn(F&& f) const {
        for (const Property& p : props_)
            if (p.live) f(p);
    }
    std::size_t ownCount() const { return live_; }

    Object* proto() const;  // the `__proto__` property when it holds an object

    // Built-in payloads.
    Value primitive;                       // Boolean/Number/String objects; Date: the time in ms
    std::vector<Value> elements;           // hidden data of a built-in (an array's are properties)
    NativeFn native = nullptr;             // Function: native code, or
    std::unique_ptr<ScriptCode> script;    // script code
    std::vector<Value> bound;              // Function: values a native keeps (e.g. a setter's name)
    std::weak_ptr<TimelineInstance> clip;  // Clip
    std::vector<std::string> clipNames;    // Clip: the instance names from the root down, as made
    std::weak_ptr<TextFieldState> textField;  // TextField objects (TextFieldObject.h)
    std::shared_ptr<TextFormatData> textFormat;  // TextFormat objects (TextFormatObject.h)
    std::vector<Value> watchers;           // watch(): name, callback, data triples
    std::unique_ptr<XmlNodeData> xml;      // XmlNode
    std::shared_ptr<BitmapSurface> bitmap;  // BitmapData (BitmapDataObject.h)

    bool marked = false;  // the collector's mark
    // Function: a native (call, apply) whose callee sees the script below it as its caller.
    bool passesCaller = false;

    // Every object reference this object holds.
    void trace(const std::function<void(Object*)>& visit) const;

  private:
    bool sameName(const std::string& a, std::string_view b) const;
    void reindex();

    Kind kind_;
    bool caseSensitive_;
    std::vector<Property> props_;
    std::size_t live_ = 0;
    std::unordered_map<std::string, std::uint32_t>
        index_;  // built for objects with many properties
};

// Lower-cases ASCII letters (the player's case-insensitive names).
std::string FoldCase(std::string_view s);

}  // namespace saver::swf::avm1
