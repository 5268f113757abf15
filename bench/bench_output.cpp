#include "bench_output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vesk::bench {

bool Options::Parse(int argc, char** argv) {
    program = argv[0];
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto equals = argument.find('=');
        if (argument.rfind("--", 0) != 0 || equals == std::string::npos) {
            std::fprintf(stderr, "%s: expected --name=value, got %s\n", argv[0], argv[i]);
            return false;
        }
        values[argument.substr(2, equals - 2)] = argument.substr(equals + 1);
    }
    return true;
}

unsigned Options::Unsigned(const std::string& name, unsigned fallback) {
    read.insert(name);
    const auto found = values.find(name);
    if (found == values.end()) {
        return fallback;
    }
    const std::string& text = found->second;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        std::fprintf(stderr, "%s: --%s takes a whole number, got %s\n", program.c_str(),
                     name.c_str(), text.c_str());
        std::exit(2);
    }
    return value;
}

std::string Options::Text(const std::string& name, const std::string& fallback) {
    read.insert(name);
    const auto found = values.find(name);
    return found == values.end() ? fallback : found->second;
}

bool Options::Complete() const {
    for (const auto& [name, value] : values) {
        if (read.count(name) == 0) {
            std::fprintf(stderr, "%s: unknown option --%s\n", program.c_str(), name.c_str());
            return false;
        }
    }
    return true;
}

Summary Summarize(std::vector<double> samples) {
    Summary summary;
    if (samples.empty()) {
        return summary;
    }
    std::sort(samples.begin(), samples.end());
    const auto rank = [&](double fraction) {
        const auto index = static_cast<std::size_t>(std::ceil(fraction * samples.size()));
        return samples[std::max<std::size_t>(index, 1) - 1];
    };
    summary.count = samples.size();
    summary.min = samples.front();
    summary.p50 = rank(0.50);
    summary.p99 = rank(0.99);
    summary.max = samples.back();
    return summary;
}

double Milliseconds(std::chrono::steady_clock::duration elapsed) {
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

void PrintValue(std::string_view figure, std::string_view statistic, double value,
                std::string_view unit) {
    std::printf("%.*s,%.*s,%.6g,%.*s\n", static_cast<int>(figure.size()), figure.data(),
                static_cast<int>(statistic.size()), statistic.data(), value,
                static_cast<int>(unit.size()), unit.data());
    std::fflush(stdout);
}

void PrintSummary(std::string_view figure, const std::vector<double>& samples,
                  std::string_view unit) {
    const Summary summary = Summarize(samples);
    PrintValue(figure, "count", static_cast<double>(summary.count), "");
    PrintValue(figure, "p50", summary.p50, unit);
    PrintValue(figure, "p99", summary.p99, unit);
    PrintValue(figure, "max", summary.max, unit);
}

}  // namespace vesk::bench
