// The floor under every round trip: the same request and reply done with bare
// system calls on one thread (write, then poll and read until 25 bytes are
// in), no reader thread, no reassembly, no notification. What the simulator
// and the pseudo-terminal cost on their own, and what the pseudo-terminal
// costs without the simulator.
#pragma once

#include <string>
#include <vector>

namespace vesk::bench {

// Round-trip times in ms of `count` requests after `warmup`; empty on failure.
std::vector<double> BareRoundTrips(const std::string& devicePath, int baud, unsigned warmup,
                                   unsigned count);

// The same over a pseudo-terminal of its own whose other end a thread of this
// process echoes at once: the kernel's share of the floor, with no simulator.
std::vector<double> PtyEchoRoundTrips(unsigned warmup, unsigned count);

}  // namespace vesk::bench
