// What the window shows for every setting, as plain data: the fixed choice
// lists with their defaults, the selection state (list indices and numeric
// field values), and the two translations between that state and a
// ModuleParams record. No toolkit here, so all of it is tested without widgets.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/parameter_frame.h"

namespace vesk::ui {

inline constexpr int kNoSelection = -1;

// One drop-down list: its choice texts in order and the index selected at start.
struct ChoiceList {
    std::span<const std::string_view> texts;
    int defaultIndex;
};

extern const ChoiceList kRfFactorChoices;   // "128" … "4096", default "2048"
extern const ChoiceList kRfModeChoices;     // "Standard" "Central" "Node"
extern const ChoiceList kBandwidthChoices;  // "62.5K" … "500K", default "125K"
extern const ChoiceList kBaudRateChoices;   // "1200" … "115200", default "9600" (module and PC)
extern const ChoiceList kParityChoices;     // "NO" "ODD" "EVEN" (module and PC)
extern const ChoiceList kPowerChoices;      // "1" … "7", default "7"
extern const ChoiceList kBreathChoices;     // "2s" … "10s"
extern const ChoiceList kWakeTimerChoices;  // "2ms" … "64ms", default "32ms"

// The separators of the user's locale, as UTF-8 text.
struct NumberFormat {
    std::string decimalPoint = ".";
    std::string groupSeparator = ",";
};

// Text of `value` with `decimals` digits after the separator, rounded, no
// grouping ("0.00" and "0" masks).
std::string FormatNumber(double value, int decimals, const NumberFormat& format);

// Reads a field's text: group separators removed, one decimal separator, an
// optional exponent. Empty when the text is not a finite, non-negative number
// (the fields take no sign, and a negative setting has no meaning).
std::optional<double> ParseNumber(std::string_view text, const NumberFormat& format);

// A numeric field: the value it holds and the text it shows.
struct NumberField {
    int decimals = 0;
    double value = 0.0;
    std::string text = "0";
};

// Replacements applied when a field's value changes (nothing when in range).
std::optional<double> ClampFrequency(double value);  // above 990, or 100 to <140: 433
std::optional<double> ClampNodeId(double value);     // above 65535: 65535
std::optional<double> ClampNetId(double value);      // above 255: 255

using Clamp = std::optional<double> (*)(double);

// Puts `value` into the field as the window does: the text becomes the value
// formatted with the field's decimals; only if that text differs from the one
// shown does the field change, reading its value back from the new text and
// applying `clamp`. Otherwise the value is kept exactly as given.
void SetFieldValue(NumberField& field, double value, Clamp clamp, const NumberFormat& format);

// The selection state of every module setting, at its defaults.
struct ModuleSelection {
    NumberField frequency{2, 434.0, "434.00"};
    int rfFactor = 4;
    int rfMode = 0;
    int bandwidth = 1;
    int baudRate = 3;
    int parity = 0;
    int power = 6;
    NumberField nodeId{0, 0.0, "0"};
    NumberField netId{0, 0.0, "0"};
    int breath = 0;
    int wakeTimer = 4;
};

// A record for "Write All": zero-filled, then every field from the selection.
ModuleParams CollectParams(const ModuleSelection& selection);

// Applies a decoded reply to the selection, leaving a list unchanged for a code
// it has no choice for (the Breath and Wake Timer lists lose their selection).
void ShowParams(const ModuleParams& params, ModuleSelection& selection, const NumberFormat& format);

// The PC side of the line, read from the texts of its lists.
// The port number is the decimal number at the start of the text after its
// first "M" ("COM12" gives 12; the whole text when there is no "M"; no digits
// give 0). The speed is the decimal number at the start of the text.
unsigned PortNumberFromText(std::string_view text);
int BaudRateFromText(std::string_view text);

}  // namespace vesk::ui
