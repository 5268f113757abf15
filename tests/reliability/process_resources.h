// What this process holds, read from /proc: open descriptors, threads, memory
// and CPU time. Used to show that cycles of work leave nothing behind.
#pragma once

#include <cstddef>

namespace vesk::testing {

std::size_t OpenDescriptorCount();
std::size_t ThreadCount();
// Resident set now, and its peak, in KiB.
std::size_t ResidentKiB();
std::size_t PeakResidentKiB();
double ProcessCpuSeconds();

}  // namespace vesk::testing
