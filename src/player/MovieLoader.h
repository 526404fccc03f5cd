// MovieLoader: decodes a movie (inflate of a CWS body, parsing, the first frame's set-up, its
// bitmaps) on a worker thread, so that the window's thread keeps taking input while a large or
// hostile movie decodes for seconds, and no frame later stalls on a large photo.
//
// The owner hands over the file's bytes with start() and polls take() from its own thread (the
// window's timer). One load is current at a time: start() and cancel() abandon the load that
// is running. An abandoned load cannot be interrupted inside the decoder; it runs to its end on
// its own thread and its result is then dropped there. Every load owns everything it touches
// (the bytes, its result, its flags), so it stays safe when the loader, the player or the
// window are gone, and a load still running when the process ends simply ends with it.
//
// Threads come from a StartThread function, so the loader stays portable: the Win32 player
// starts a thread of the system, the tests their own. When no thread can be started, start()
// decodes on the caller's thread instead.
//
// Failure: a movie that cannot be decoded gives an empty result (no movie); nothing throws.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/avm1/Interpreter.h"

namespace saver {

namespace swf {
class MoviePlayer;
}

class MovieLoader {
  public:
    // Runs `work` once on another thread and returns true, or returns false (and never runs it)
    // when no thread could be started.
    using StartThread = std::function<bool(std::function<void()> work)>;

    // A StartThread that runs the work at once on the caller's thread: loading without a worker.
    static StartThread Inline();

    explicit MovieLoader(StartThread startThread);
    ~MovieLoader();  // abandons a running load
    MovieLoader(const MovieLoader&) = delete;
    MovieLoader& operator=(const MovieLoader&) = delete;

    // Reads a file the movie's scripts load by URL (see swf::avm1::Interpreter::loadFile).
    using ScriptFileReader = std::function<bool(const std::string& url, std::string& contents)>;

    // Starts decoding a complete SWF file; a load still running is abandoned. The movie's
    // scripts read their files through `files` (none when it is empty).
    void start(std::vector<std::uint8_t> bytes, ScriptFileReader files = nullptr);
    // The screen the movies' scripts see (System.capabilities), for the loads started after.
    // Their Date reads the system's clock and time zone (LocalTimeOffsetMs).
    void setScreen(swf::avm1::InterpreterHost::Screen screen) { screen_ = screen; }
    // Abandons the current load, if any; take() has nothing until the next start().
    void cancel();
    // True from start() until the current load's result has been taken (or it was cancelled).
    bool busy() const { return job_ != nullptr; }
    // Once the current load has finished: its player, nullptr when the file is no readable
    // movie; the load is then over. nullopt while it runs or when there is none.
    std::optional<std::unique_ptr<swf::MoviePlayer>> take();

  private:
    struct Job;

    StartThread startThread_;
    std::shared_ptr<Job> job_;
    swf::avm1::InterpreterHost::Screen screen_;
};

}  // namespace saver
