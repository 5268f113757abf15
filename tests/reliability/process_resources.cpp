#include "reliability/process_resources.h"

#include <time.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vesk::testing {
namespace {

std::size_t EntriesIn(const char* directory) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) {
        ++count;
    }
    return count;
}

// A "Name:   1234 kB" line of /proc/self/status.
std::size_t StatusKiB(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string field;
    while (status >> field) {
        if (field == name + ":") {
            std::size_t value = 0;
            status >> value;
            return value;
        }
    }
    return 0;
}

}  // namespace

std::size_t OpenDescriptorCount() {
    // The directory iterator holds one descriptor of its own while it counts.
    return EntriesIn("/proc/self/fd") - 1;
}

std::size_t ThreadCount() {
    return EntriesIn("/proc/self/task");
}

std::size_t ResidentKiB() {
    return StatusKiB("VmRSS");
}

std::size_t PeakResidentKiB() {
    return StatusKiB("VmHWM");
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace vesk::testing
