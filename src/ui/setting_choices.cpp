#include "ui/setting_choices.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace vesk::ui {
namespace {

constexpr std::array<std::string_view, 6> kRfFactorTexts = {"128",  "256",  "512",
                                                            "1024", "2048", "4096"};
constexpr std::array<std::string_view, 3> kRfModeTexts = {"Standard", "Central", "Node"};
constexpr std::array<std::string_view, 4> kBandwidthTexts = {"62.5K", "125K", "250K", "500K"};
constexpr std::array<std::string_view, 8> kBaudRateTexts = {"1200",  "2400",  "4800",  "9600",
                                                            "19200", "38400", "57600", "115200"};
constexpr std::array<std::string_view, 3> kParityTexts = {"NO", "ODD", "EVEN"};
constexpr std::array<std::string_view, 7> kPowerTexts = {"1", "2", "3", "4", "5", "6", "7"};
constexpr std::array<std::string_view, 5> kBreathTexts = {"2s", "4s", "6s", "8s", "10s"};
constexpr std::array<std::string_view, 6> kWakeTimerTexts = {"2ms",  "4ms",  "8ms",
                                                             "16ms", "32ms", "64ms"};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return;
    }
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Rounds a plain decimal text ("433.125") half away from zero to `decimals`
// places, so the result follows the digits the user sees rather than the
// binary value behind them.
std::string RoundDecimalText(std::string digits, int decimals) {
    std::size_t point = digits.find('.');
    if (point == std::string::npos) {
        point = digits.size();
        digits += '.';
    }
    const std::size_t wanted = point + 1 + static_cast<std::size_t>(decimals);
    bool roundUp = digits.size() > wanted && digits[wanted] >= '5';
    digits.resize(std::max(wanted, digits.size()), '0');
    digits.resize(wanted);
    for (std::size_t i = digits.size(); roundUp && i-- > 0;) {
        if (digits[i] == '.') {
            continue;
        }
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            roundUp = false;
        }
    }
    if (roundUp) {
        digits.insert(digits.begin(), '1');
    }
    if (decimals == 0) {
        digits.pop_back();  // the '.'
    }
    return digits;
}

int DigitsAfterPoint(int decimals) {
    return std::max(decimals, 0);
}

// A list index from a code: `code - first` when it names a choice, else the
// index stays as it was.
int IndexForCode(int code, int first, const ChoiceList& list, int current) {
    const int index = code - first;
    return index >= 0 && index < static_cast<int>(list.texts.size()) ? index : current;
}

// Low bits of the value truncated toward zero; values beyond 64 bits give 0.
std::uint64_t TruncatedBits(double value) {
    const double whole = std::trunc(value);
    if (!std::isfinite(whole) || std::fabs(whole) >= 9.2e18) {
        return 0;
    }
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(whole));
}

// Leading decimal digits, saturating far above any port number or speed.
unsigned LeadingNumber(std::string_view text) {
    constexpr unsigned kLimit = 100000000;
    unsigned number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        number = std::min(kLimit, number * 10 + static_cast<unsigned>(c - '0'));
    }
    return number;
}

std::uint8_t SelectionCode(int index) {
    return index == kNoSelection ? 0xFF : static_cast<std::uint8_t>(index);
}

}  // namespace

const ChoiceList kRfFactorChoices{kRfFactorTexts, 4};
const ChoiceList kRfModeChoices{kRfModeTexts, 0};
const ChoiceList kBandwidthChoices{kBandwidthTexts, 1};
const ChoiceList kBaudRateChoices{kBaudRateTexts, 3};
const ChoiceList kParityChoices{kParityTexts, 0};
const ChoiceList kPowerChoices{kPowerTexts, 6};
const ChoiceList kBreathChoices{kBreathTexts, 0};
const ChoiceList kWakeTimerChoices{kWakeTimerTexts, 4};

std::string FormatNumber(double value, int decimals, const NumberFormat& format) {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      std::fabs(value), std::chars_format::fixed);
    std::string text =
        RoundDecimalText(std::string(buffer.data(), result.ptr), DigitsAfterPoint(decimals));
    if (std::signbit(value) && text.find_first_not_of("0.") != std::string::npos) {
        text.insert(text.begin(), '-');
    }
    ReplaceAll(text, ".", format.decimalPoint);
    return text;
}

std::optional<double> ParseNumber(std::string_view text, const NumberFormat& format) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    std::string plain(text);
    ReplaceAll(plain, format.groupSeparator, "");
    if (format.decimalPoint != ".") {
        if (plain.find('.') != std::string::npos) {
            return std::nullopt;
        }
        ReplaceAll(plain, format.decimalPoint, ".");
    }
    std::string_view digits = plain;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.front() == '-') {
        return std::nullopt;
    }
    double value = 0.0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                        std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ClampFrequency(double value) {
    if (value > 990.0 || (value >= 100.0 && value < 140.0)) {
        return 433.0;
    }
    return std::nullopt;
}

std::optional<double> ClampNodeId(double value) {
    return value > 65535.0 ? std::optional<double>(65535.0) : std::nullopt;
}

std::optional<double> ClampNetId(double value) {
    return value > 255.0 ? std::optional<double>(255.0) : std::nullopt;
}

void SetFieldValue(NumberField& field, double value, Clamp clamp, const NumberFormat& format) {
    field.value = value;
    std::string text = FormatNumber(value, field.decimals, format);
    if (text == field.text) {
        return;
    }
    field.text = std::move(text);
    field.value = ParseNumber(field.text, format).value_or(value);
    if (const auto replacement = clamp ? clamp(field.value) : std::nullopt) {
        SetFieldValue(field, *replacement, clamp, format);
    }
}

ModuleParams CollectParams(const ModuleSelection& selection) {
    ModuleParams params{};
    params.frequencyMHz = selection.frequency.value;
    params.spreadingFactor = static_cast<std::uint8_t>(selection.rfFactor + 7);
    params.mode = static_cast<std::uint8_t>(selection.rfMode);
    params.bandwidthCode = static_cast<std::uint8_t>(selection.bandwidth + 6);
    params.baudCode = static_cast<std::uint8_t>(selection.baudRate + 1);
    params.parity = static_cast<std::uint8_t>(selection.parity);
    params.power = static_cast<std::uint8_t>(selection.power + 1);
    const std::uint64_t nodeId = TruncatedBits(selection.nodeId.value);
    params.nodeIdHigh = static_cast<std::uint8_t>(nodeId >> 8);
    params.nodeIdLow = static_cast<std::uint8_t>(nodeId);
    params.netId = static_cast<std::uint8_t>(TruncatedBits(selection.netId.value));
    params.breathIndex = SelectionCode(selection.breath);
    params.wakeIndex = SelectionCode(selection.wakeTimer);
    return params;
}

void ShowParams(const ModuleParams& params, ModuleSelection& selection,
                const NumberFormat& format) {
    SetFieldValue(selection.frequency, params.frequencyMHz, ClampFrequency, format);
    selection.rfFactor =
        IndexForCode(params.spreadingFactor, 7, kRfFactorChoices, selection.rfFactor);
    selection.rfMode = IndexForCode(params.mode, 0, kRfModeChoices, selection.rfMode);
    selection.bandwidth =
        IndexForCode(params.bandwidthCode, 6, kBandwidthChoices, selection.bandwidth);
    SetFieldValue(selection.nodeId, params.nodeIdHigh * 256.0 + params.nodeIdLow, ClampNodeId,
                  format);
    SetFieldValue(selection.netId, params.netId, ClampNetId, format);
    selection.power = IndexForCode(params.power, 1, kPowerChoices, selection.power);
    selection.baudRate = params.baudCode == 0 ? 7
                                              : IndexForCode(params.baudCode, 1, kBaudRateChoices,
                                                             selection.baudRate);
    selection.parity = IndexForCode(params.parity, 0, kParityChoices, selection.parity);
    selection.breath = IndexForCode(params.breathIndex, 0, kBreathChoices, kNoSelection);
    selection.wakeTimer = IndexForCode(params.wakeIndex, 0, kWakeTimerChoices, kNoSelection);
}

unsigned PortNumberFromText(std::string_view text) {
    const std::size_t m = text.find('M');
    return LeadingNumber(m == std::string_view::npos ? text : text.substr(m + 1));
}

int BaudRateFromText(std::string_view text) {
    return static_cast<int>(LeadingNumber(text));
}

}  // namespace vesk::ui
