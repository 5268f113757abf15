#include "sim/sim_options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace vesk::sim {
namespace {

bool ParseUnsigned(const std::string& text, std::uint64_t low, std::uint64_t high,
                   std::uint64_t& value) {
    std::uint64_t parsed = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || ec != std::errc() || ptr != end || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseDouble(const std::string& text, double low, double high, double& value) {
    double parsed = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(parsed) || parsed < low ||
        parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

// An option that takes a value: the accepted range for the message, and what
// to do with the text (false when it is out of range or not a number).
struct ValueOption {
    const char* range;
    std::function<bool(const std::string&, SimOptions&)> apply;
};

ValueOption Byte(const char* range, std::uint64_t low, std::uint64_t high,
                 std::uint8_t ModuleParams::*field) {
    return {range, [=](const std::string& text, SimOptions& o) {
                std::uint64_t v = 0;
                if (!ParseUnsigned(text, low, high, v)) {
                    return false;
                }
                o.settings.*field = static_cast<std::uint8_t>(v);
                return true;
            }};
}

// Breath and wake also take 255, the code a module reports for "no selection".
ValueOption Index(const char* range, std::uint64_t high, std::uint8_t ModuleParams::*field) {
    return {range, [=](const std::string& text, SimOptions& o) {
                std::uint64_t v = 0;
                if (!ParseUnsigned(text, 0, 255, v) || (v > high && v != 255)) {
                    return false;
                }
                o.settings.*field = static_cast<std::uint8_t>(v);
                return true;
            }};
}

ValueOption Rate(double SimOptions::*field) {
    return {"a rate from 0 to 1", [=](const std::string& text, SimOptions& o) {
                return ParseDouble(text, 0.0, 1.0, o.*field);
            }};
}

const std::map<std::string, ValueOption>& ValueOptions() {
    static const std::map<std::string, ValueOption> options = {
        {"--com",
         {"1 to 255",
          [](const std::string& text, SimOptions& o) {
              std::uint64_t v = 0;
              if (!ParseUnsigned(text, 1, 255, v)) {
                  return false;
              }
              o.comNumber = static_cast<unsigned>(v);
              return true;
          }}},
        {"--device",
         {"a device path",
          [](const std::string& text, SimOptions& o) {
              o.devicePath = text;
              return !text.empty();
          }}},
        {"--reply-delay",
         {"0 to 60000 ms",
          [](const std::string& text, SimOptions& o) {
              std::uint64_t v = 0;
              if (!ParseUnsigned(text, 0, 60000, v)) {
                  return false;
              }
              o.replyDelayMs = static_cast<int>(v);
              return true;
          }}},
        {"--noise", Rate(&SimOptions::noiseRate)},
        {"--corrupt", Rate(&SimOptions::corruptRate)},
        {"--drop", Rate(&SimOptions::dropRate)},
        {"--seed",
         {"an unsigned 64-bit number",
          [](const std::string& text, SimOptions& o) {
              std::uint64_t v = 0;
              if (!ParseUnsigned(text, 0, UINT64_MAX, v)) {
                  return false;
              }
              o.seed = v;
              return true;
          }}},
        {"--baud-code", Byte("0 to 8", 0, 8, &ModuleParams::baudCode)},
        {"--parity", Byte("0 (none), 1 (odd) or 2 (even)", 0, 2, &ModuleParams::parity)},
        {"--frequency",
         {"0 to 1023.99 MHz",
          [](const std::string& text, SimOptions& o) {
              return ParseDouble(text, 0.0, 1023.99, o.settings.frequencyMHz);
          }}},
        {"--spreading-factor", Byte("7 to 12", 7, 12, &ModuleParams::spreadingFactor)},
        {"--mode", Byte("0 (standard), 1 (central) or 2 (node)", 0, 2, &ModuleParams::mode)},
        {"--bandwidth-code", Byte("6 to 9", 6, 9, &ModuleParams::bandwidthCode)},
        {"--node-id",
         {"0 to 65535",
          [](const std::string& text, SimOptions& o) {
              std::uint64_t v = 0;
              if (!ParseUnsigned(text, 0, 65535, v)) {
                  return false;
              }
              o.settings.nodeIdHigh = static_cast<std::uint8_t>(v >> 8);
              o.settings.nodeIdLow = static_cast<std::uint8_t>(v);
              return true;
          }}},
        {"--net-id", Byte("0 to 255", 0, 255, &ModuleParams::netId)},
        {"--power", Byte("1 to 7", 1, 7, &ModuleParams::power)},
        {"--breath", Index("0 to 4, or 255 for none", 4, &ModuleParams::breathIndex)},
        {"--wake", Index("0 to 5, or 255 for none", 5, &ModuleParams::wakeIndex)},
    };
    return options;
}

const std::map<std::string, bool SimOptions::*>& FlagOptions() {
    static const std::map<std::string, bool SimOptions::*> flags = {
        {"--split", &SimOptions::split}, {"--mute", &SimOptions::mute},
        {"--stall", &SimOptions::stall}, {"--log", &SimOptions::log},
        {"--help", &SimOptions::help},
    };
    return flags;
}

}  // namespace

ModuleParams DefaultModuleSettings() {
    ModuleParams params;
    params.baudCode = 4;  // 9600, the window's PC speed
    params.parity = 2;    // even; a pseudo-terminal cannot show parity
    params.frequencyMHz = 868.00;
    params.spreadingFactor = 9;
    params.mode = 1;
    params.bandwidthCode = 8;
    params.nodeIdHigh = 0x12;  // node ID 4660
    params.nodeIdLow = 0x34;
    params.netId = 17;
    params.power = 5;
    params.breathIndex = 2;
    params.wakeIndex = 1;
    return params;
}

ParseResult ParseOptions(const std::vector<std::string>& args) {
    ParseResult result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--line-time" || name == "--no-line-time") {
            if (value) {
                result.error = name + " takes no value";
                return result;
            }
            result.options.lineTime = name == "--line-time";
            continue;
        }
        if (const auto flag = FlagOptions().find(name); flag != FlagOptions().end()) {
            if (value) {
                result.error = name + " takes no value";
                return result;
            }
            result.options.*(flag->second) = true;
            continue;
        }
        const auto option = ValueOptions().find(name);
        if (option == ValueOptions().end()) {
            result.error = "unknown option: " + args[i];
            return result;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                result.error = name + " needs a value (" + option->second.range + ")";
                return result;
            }
            value = args[++i];
        }
        if (!option->second.apply(*value, result.options)) {
            result.error = "bad value for " + name + ": \"" + *value + "\" (expected " +
                           option->second.range + ")";
            return result;
        }
    }
    if (!result.options.devicePath.empty() && result.options.comNumber) {
        result.error = "--com and --device exclude each other";
    }
    return result;
}

const char* UsageText() {
    return R"(usage: vesk-sim [options]
A simulated Vesk R20 module on a pseudo-terminal, linked into the virtual-port
directory as a COM port. Prints "vesk-sim: COM<n> <device>" and runs until
SIGINT or SIGTERM, then removes its link.

Where:
  --com N               take COMn (1-255) instead of the lowest free number
  --device PATH         run on a real serial port instead (null-modem pair)
Initial settings (defaults in brackets):
  --baud-code N         module line speed code 0-8 [4 = 9600]
  --parity N            0 none, 1 odd, 2 even [2]
  --frequency MHZ       0-1023.99 [868.00]
  --spreading-factor N  7-12 [9]
  --mode N              0 standard, 1 central, 2 node [1]
  --bandwidth-code N    6-9 [8]
  --node-id N           0-65535 [4660]
  --net-id N            0-255 [17]
  --power N             1-7 [5]
  --breath N            0-4 or 255 [2]
  --wake N              0-5 or 255 [1]
Realism and faults:
  --line-time           take the wire time of each byte sent (default)
  --no-line-time        send at once (tests, benchmarks)
  --reply-delay MS      wait before each reply
  --split               send replies byte by byte
  --noise RATE          random bytes before a reply, with probability RATE
  --corrupt RATE        damage a reply's checksum, with probability RATE
  --drop RATE           leave a request unanswered, with probability RATE
  --mute                never answer (writes are still stored)
  --stall               stop reading the line: the PC's writes fill it and time out
  --seed N              seed for the fault choices, for repeatable runs
  --log                 one line per frame in and out on stderr
)";
}

}  // namespace vesk::sim
