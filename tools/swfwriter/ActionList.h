// The actions of one DoAction tag: a short list of timeline actions, encoded as ACTIONRECORDs
// followed by the ActionEndFlag. Frame numbers are 0-based, as the file stores them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace saver::swfwriter {

class ActionList {
  public:
    ActionList& Stop();                          // 0x07
    ActionList& Play();                          // 0x06
    ActionList& NextFrame();                     // 0x04
    ActionList& PrevFrame();                     // 0x05
    ActionList& GotoFrame(std::uint16_t frame);  // 0x81, UI16 frame index
    // 0x8C with a STRING; a label holding a zero byte throws std::invalid_argument.
    ActionList& GotoLabel(std::string_view label);

    // A little of the stack machine, enough for small scripts: 0x96 Push of a string (throws
    // std::invalid_argument for a zero byte) or a 32-bit integer; 0x1C GetVariable, 0x1D
    // SetVariable, 0x40 NewObject, 0x52 CallMethod, 0x47 Add2, 0x0D Divide, 0x3F Modulo,
    // 0x18 ToInteger.
    ActionList& Push(std::string_view text);
    ActionList& Push(std::int32_t number);
    ActionList& GetVariable();
    ActionList& SetVariable();
    ActionList& NewObject();
    ActionList& CallMethod();
    ActionList& Add2();
    ActionList& Divide();
    ActionList& Modulo();
    ActionList& ToInteger();

    // More of it, for the scripted samples: 0x96 Push of a double (type 6, the two 32-bit
    // halves high word first); 0x17 Pop, 0x0B Subtract, 0x0C Multiply, 0x4E GetMember,
    // 0x4F SetMember, 0x3D CallFunction, 0x22 GetProperty, 0x23 SetProperty, 0x24
    // CloneSprite (duplicateMovieClip: source, new name, depth + 16384), 0x30 RandomNumber, 0x26
    // Trace.
    ActionList& PushDouble(double number);
    ActionList& Pop();
    ActionList& Subtract();
    ActionList& Multiply();
    ActionList& GetMember();
    ActionList& SetMember();
    ActionList& CallFunction();
    ActionList& GetProperty();
    ActionList& SetProperty();
    ActionList& DuplicateMovieClip();
    ActionList& RandomNumber();
    ActionList& Trace();
    // Appends the actions of `other` (without its closing 0x00).
    ActionList& Append(const ActionList& other);

    bool Empty() const { return bytes_.empty(); }
    // The action records and the closing 0x00.
    std::vector<std::uint8_t> Encode() const;

  private:
    void Long(std::uint8_t code, const std::vector<std::uint8_t>& payload);
    ActionList& Short(std::uint8_t code);

    std::vector<std::uint8_t> bytes_;
};

}  // namespace saver::swfwriter
