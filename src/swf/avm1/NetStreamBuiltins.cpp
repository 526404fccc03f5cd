// NetConnection and NetStream: streamed video and remoting. Only a local connection
// (`connect(null)`) can be made without a server, and it is reported at once, as the player
// does ("NetConnection.Connect.Success"); a server connection fails on the next timer pass.
// Video is not played: a stream's `play` reports "NetStream.Play.StreamNotFound" on the next
// timer pass, to the stream's `onStatus` or, when it has none, to `System.onStatus`.
#include "swf/avm1/Builtins.h"
#include "swf/avm1/NextTimerPass.h"

namespace saver::swf::avm1 {

namespace {

Object* StatusInfo(Interpreter& vm, const char* code, const char* level) {
    Object* info = vm.newObject();
    info->put("code", std::string(code));
    info->put("level", std::string(level));
    return info;
}

// Calls `target.onStatus(info)`, or (for a stream, `toSystem`) `System.onStatus(info)` when
// the target has no handler.
void ReportStatus(Interpreter& vm, const Value& target, Object* info, bool toSystem = true) {
    const Value handler = vm.getMember(target, "onStatus");
    if (handler.isObject() && handler.asObject()->isFunction()) {
        vm.call(handler, target, {info});
        return;
    }
    if (!toSystem) return;
    const Value system = vm.getMember(vm.global(), "System");
    const Value fallback = vm.getMember(system, "onStatus");
    if (fallback.isObject() && fallback.asObject()->isFunction()) vm.call(fallback, system, {info});
}

// The queued report: bound to the target, the code and the level.
Value AnswerStatus(CallInfo& c) {
    if (!c.callee || c.callee->bound.size() < 3) return Value{};
    const auto& b = c.callee->bound;
    ReportStatus(c.vm, b[0],
                 StatusInfo(c.vm, c.vm.toString(b[1]).c_str(), c.vm.toString(b[2]).c_str()));
    return Value{};
}

void ReportLater(Interpreter& vm, const Value& target, const char* code, const char* level) {
    Object* answer = vm.newFunction(AnswerStatus);
    answer->bound = {target, std::string(code), std::string(level)};
    CallOnNextTimerPass(vm, answer);
}

Value Connect(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    if (!self || c.args.empty()) return false;
    if (c.args[0].isNullish()) {
        self->put("isConnected", true, kDontEnum);
        self->put("uri", std::string("null"), kDontEnum);
        ReportStatus(c.vm, self, StatusInfo(c.vm, "NetConnection.Connect.Success", "status"),
                     false);
        return true;
    }
    self->put("isConnected", false, kDontEnum);
    self->put("uri", c.vm.toString(c.args[0]), kDontEnum);
    ReportLater(c.vm, self, "NetConnection.Connect.Failed", "error");
    return true;
}

Value CloseConnection(CallInfo& c) {
    if (Object* self = c.thisValue.asObject()) self->put("isConnected", false, kDontEnum);
    return Value{};
}

Value Play(CallInfo& c) {
    if (!c.thisValue.isObject()) return Value{};
    ReportLater(c.vm, c.thisValue, "NetStream.Play.StreamNotFound", "error");
    return Value{};
}

Value SetBufferTime(CallInfo& c) {
    if (Object* self = c.thisValue.asObject())
        self->put("bufferTime", c.vm.toNumber(c.arg(0)), kDontEnum);
    return Value{};
}

Value StreamCtor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    if (!self) return Value{};
    for (const char* name : {"bufferLength", "bufferTime", "bytesLoaded", "bytesTotal",
                             "currentFps", "liveDelay", "time"})
        self->put(name, 0.0, kDontEnum);
    return Value{};
}

Value Nothing(CallInfo&) {
    return Value{};
}

}  // namespace

void InstallNetStreamBuiltins(Interpreter& vm) {
    Object* connProto = vm.newObject();
    MakeClass(vm, "NetConnection", Nothing, connProto);
    vm.method(connProto, "connect", Connect);
    vm.method(connProto, "close", CloseConnection);
    vm.method(connProto, "call", Nothing);
    vm.method(connProto, "addHeader", Nothing);

    Object* streamProto = vm.newObject();
    MakeClass(vm, "NetStream", StreamCtor, streamProto);
    vm.method(streamProto, "play", Play);
    vm.method(streamProto, "setBufferTime", SetBufferTime);
    for (const char* name : {"close", "pause", "seek", "publish", "receiveAudio", "receiveVideo",
                             "attachAudio", "attachVideo", "send"})
        vm.method(streamProto, name, Nothing);
}

}  // namespace saver::swf::avm1
