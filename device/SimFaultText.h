// The text form of a simulated frame's fault, "KIND@N" (e.g. "unplug@40": the frame is pulled
// out at the 40th command), as the programs' --sim-fault testing option takes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "device/SimulatedFrame.h"

namespace framewise {

// The kinds by name: "fail-transfer", "flip-read-bit", "corrupt-program", "wrong-verify",
// "unplug".
std::string_view SimFaultName(SimFault kind);
// Every name, comma-separated, for help texts and errors.
std::string SimFaultNames();

// "KIND@N" with N a decimal count from 1 (the first command of the run). Nothing, with a
// one-line reason in error, when the text is not one.
std::optional<std::pair<SimFault, uint64_t>> ParseSimFault(std::string_view text,
                                                           std::string& error);

}  // namespace framewise
