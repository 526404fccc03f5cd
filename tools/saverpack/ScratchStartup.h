// The start-up stages run on a screensaver file as if it were the running program, in a
// temporary workspace of its own that goes with the object (no registry, no guard mutex).
// `inspect` reports on it, `upgrade` compares the old and the new file through it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "InspectReport.h"

#include "ToolPlatform.h"
#include "payload/Runtime.h"
#include "platform/FakeServices.h"

namespace saver {

class ScratchStartup {
  public:
    // `program` is the file's Windows path. ready() is false when no temporary folder could be
    // made; nothing else happens here.
    ScratchStartup(ToolPlatform& platform, const std::string& program);
    ~ScratchStartup();
    ScratchStartup(const ScratchStartup&) = delete;
    ScratchStartup& operator=(const ScratchStartup&) = delete;

    bool ready() const { return rt_ != nullptr; }
    // LocatePayload, then LoadEverything (settings, overrides, lists, auxiliary files). Throws
    // what those let through (IoError, ZipError, ...).
    void run();
    // Resolves every FlashList entry in list order, as playback would (extracting packed movies).
    std::vector<ResolvedEntry> resolveFlashList();
    Runtime& rt() { return *rt_; }
    FakeServices& services() { return services_; }

  private:
    ScratchFolder scratch_;  // first: outlives the Runtime, which keeps the program file open
    FakeServices services_;
    std::unique_ptr<Runtime> rt_;
};

}  // namespace saver
