// The human-readable form of `saverpack inspect`: where the payload is, the settings that
// differ from the defaults, the media lists, and each packed item with its range, its size and
// whether it resolves to a file the way start-up extracts it.
#pragma once

#include <iosfwd>
#include <string>

#include <nlohmann/json.hpp>

namespace saver {

class ToolPlatform;
struct Runtime;

// `rt` has been through start-up (ScratchStartup::run); `report` is InspectReport of it.
// Extracts every packed item into rt's workspace to see whether it resolves. `shownName` is the
// file as the user typed it. Never throws for a damaged payload: problems are printed.
void PrintInspectText(std::ostream& out, const std::string& shownName, Runtime& rt,
                      const nlohmann::json& report);

}  // namespace saver
