// Runs another program to completion, as the benchmarks do with the pyserial
// peer and the window: its stdout is collected line by line, its stderr is
// ours, and its peak resident size is read from the kernel when it ends.
#pragma once

#include <string>
#include <vector>

namespace vesk::bench {

struct ChildResult {
    bool exitedCleanly = false;  // status 0
    std::vector<std::string> lines;
    long peakRssKiB = 0;
};

// `args[0]` is the program's path; `environment` entries NAME=value are added
// to ours. The child is killed after `limitSeconds`.
ChildResult RunChild(const std::vector<std::string>& args,
                     const std::vector<std::string>& environment = {}, int limitSeconds = 300);

// The stdout lines of a child that must succeed; empty, with a note on
// stderr, when it does not.
std::vector<std::string> RunPeer(const std::vector<std::string>& args);

}  // namespace vesk::bench
