// What every benchmark program shares: reading its few --name=value options,
// summarising samples, and printing results as CSV lines
// "figure,statistic,value,unit" on stdout (notes go to stderr), which
// scripts/bench gathers into the performance report.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::bench {

// --name=value options. A program reads the ones it knows, then asks
// Complete whether that was all; a bad number ends the program.
class Options {
  public:
    // False (with the reason on stderr) for an argument that is not --name=value.
    bool Parse(int argc, char** argv);
    unsigned Unsigned(const std::string& name, unsigned fallback);
    std::string Text(const std::string& name, const std::string& fallback);
    // False (with the reason on stderr) when an option was given that no one read.
    bool Complete() const;

  private:
    std::string program;
    std::map<std::string, std::string> values;
    std::set<std::string> read;
};

struct Summary {
    std::size_t count = 0;
    double min = 0, p50 = 0, p99 = 0, max = 0;
};

// Nearest-rank percentiles; all zero for no samples.
Summary Summarize(std::vector<double> samples);

double Milliseconds(std::chrono::steady_clock::duration elapsed);

void PrintValue(std::string_view figure, std::string_view statistic, double value,
                std::string_view unit);
// Prints count, p50, p99 and max of `samples`.
void PrintSummary(std::string_view figure, const std::vector<double>& samples,
                  std::string_view unit);

}  // namespace vesk::bench
