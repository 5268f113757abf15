// How fast ReplyAssembler finds frames: a fixed mixed stream of good frames,
// frames with a wrong checksum and runs of noise (with stray 0xAF bytes) is
// fed byte by byte, and the rate is given in MB/s (10^6 bytes).
//
//   assembler_throughput_bench [--megabytes=200]
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "bench_output.h"
#include "link/parameter_frame.h"
#include "link/reply_assembler.h"

namespace {

constexpr std::size_t kStreamBytes = 1 << 20;

std::vector<std::uint8_t> MixedStream() {
    std::mt19937 random(20);
    vesk::ModuleParams settings;
    settings.baudCode = 4;
    settings.frequencyMHz = 868.0;
    settings.spreadingFactor = 9;
    settings.power = 5;
    const vesk::Frame good = vesk::BuildFrame(vesk::kCommandReadAll, settings);
    vesk::Frame bad = good;
    bad[vesk::offset::kChecksum] ^= 0x55;

    std::vector<std::uint8_t> stream;
    stream.reserve(kStreamBytes + 256);
    while (stream.size() < kStreamBytes) {
        const unsigned noise = random() % 64;
        for (unsigned i = 0; i < noise; ++i) {
            // One noise byte in 16 is a sync byte, so false starts happen.
            stream.push_back(random() % 16 == 0 ? 0xAF : static_cast<std::uint8_t>(random()));
        }
        const vesk::Frame& frame = random() % 8 == 0 ? bad : good;
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

}  // namespace

int main(int argc, char** argv) {
    vesk::bench::Options options;
    if (!options.Parse(argc, argv)) {
        return 2;
    }
    const unsigned megabytes = options.Unsigned("megabytes", 200);
    if (!options.Complete()) {
        return 2;
    }

    const std::vector<std::uint8_t> stream = MixedStream();
    const std::size_t passes = std::max<std::size_t>(1, megabytes * 1'000'000ull / stream.size());
    vesk::ReplyAssembler assembler;
    std::size_t good = 0, bad = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t pass = 0; pass < passes; ++pass) {
        for (const std::uint8_t byte : stream) {
            switch (assembler.Feed(byte)) {
                case vesk::ReplyAssembler::Outcome::kGoodFrame:
                    ++good;
                    break;
                case vesk::ReplyAssembler::Outcome::kBadChecksum:
                    ++bad;
                    break;
                case vesk::ReplyAssembler::Outcome::kNone:
                    break;
            }
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (good == 0 || bad == 0) {
        std::fprintf(stderr, "assembler_throughput_bench: found %zu good and %zu bad frames\n",
                     good, bad);
        return 1;
    }
    const double bytes = static_cast<double>(passes * stream.size());
    vesk::bench::PrintValue("assembler_throughput", "bytes", bytes, "B");
    vesk::bench::PrintValue("assembler_throughput", "rate", bytes / seconds / 1e6, "MB/s");
    vesk::bench::PrintValue("assembler_throughput", "frames_per_second",
                            static_cast<double>(good + bad) / seconds, "1/s");
    return 0;
}
