// The command line of vesk-sim: where the module sits, its initial settings,
// and the options for realism and faults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/parameter_frame.h"

namespace vesk::sim {

// The settings the simulated module starts with. Every field differs from the
// window's defaults, so that "Read All" visibly changes the window, except the
// speed code: 4 (9600 baud) is also the window's PC speed, and the module only
// answers at its own speed, so a newcomer can read it without changing anything.
ModuleParams DefaultModuleSettings();

struct SimOptions {
    std::optional<unsigned> comNumber;  // --com N; else the lowest free number
    std::string devicePath;             // --device PATH; empty for a pseudo-terminal
    ModuleParams settings = DefaultModuleSettings();
    bool lineTime = true;  // --line-time / --no-line-time
    int replyDelayMs = 0;
    bool split = false;
    double noiseRate = 0.0;
    double corruptRate = 0.0;
    double dropRate = 0.0;
    bool mute = false;
    bool stall = false;
    std::optional<std::uint64_t> seed;
    bool log = false;
    bool help = false;
};

struct ParseResult {
    SimOptions options;
    std::string error;  // empty when the command line was valid
};

// Parses the arguments after the program name. Values follow as the next
// argument or after '=' ("--com 3", "--com=3").
ParseResult ParseOptions(const std::vector<std::string>& args);

const char* UsageText();

}  // namespace vesk::sim
