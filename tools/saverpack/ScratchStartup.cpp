#include "ScratchStartup.h"

#include "app/Startup.h"
#include "app/Workspace.h"
#include "payload/MediaLists.h"
#include "payload/PayloadLocator.h"

namespace saver {

ScratchStartup::ScratchStartup(ToolPlatform& platform, const std::string& program) {
    const auto temp =
        scratch_.path().empty() ? std::nullopt : platform.windowsPath(scratch_.path());
    if (!temp) return;
    services_.moduleName = program;
    services_.temp = *temp + "\\";
    rt_ = std::make_unique<Runtime>(platform.fs(), services_);
    rt_->ProgramFilePath = program;
    PrepareWorkspace(*rt_);
}

// The Runtime closes the program file and its workspace files before the folder is removed.
ScratchStartup::~ScratchStartup() {
    rt_.reset();
}

void ScratchStartup::run() {
    LocatePayload(*rt_);
    LoadEverything(*rt_);
}

std::vector<ResolvedEntry> ScratchStartup::resolveFlashList() {
    std::vector<ResolvedEntry> out;
    for (const std::string& entry : rt_->Setting.FlashList) {
        ResolvedEntry r{entry, entry, false};
        r.ok = ResolveMediaEntry(*rt_, r.path);
        out.push_back(std::move(r));
    }
    return out;
}

}  // namespace saver
