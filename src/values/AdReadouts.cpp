// The measured-values sheet: each reading the radio sent back is shown three ways, as a
// decimal byte, as a hexadecimal byte, and converted to what it measures. The readings
// arrive in the model controller's table (the measured-values window's Update fills it).

#include "values/CellDispatch.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace {

enum Conversion : std::int32_t {
    kBattery,      // the battery divider halves the voltage: 0..10 V
    kVolts,        // 0..5 V
    kPercent,      // 0..100 % of the range
    kTemperature,  // the thermistor divider, in degrees Celsius
};

struct Reading {
    std::string_view base;  // the cells are base + "D", "H" and "V"
    std::uint8_t parameter;
    Conversion conversion;
};
// In the order of the radio's read-back list (parameters 1..4, 32..35, 39..43).
constexpr Reading kReadings[] = {
    {"CL_WinAD_BATT", 1, kBattery},        {"CL_Maker_NOIS", 2, kVolts},   {"CL_Maker_SD", 3, kVolts},
    {"CL_Maker_LVIN", 4, kVolts},          {"CL_Maker_TEMPS", 32, kTemperature}, {"CL_Maker_TXDET", 33, kVolts},
    {"CL_Maker_VOXT", 34, kPercent},       {"CL_WinAD_FRQC", 35, kVolts},  {"CL_WinAD_T1", 39, kVolts},
    {"CL_WinAD_T2", 40, kVolts},           {"CL_WinAD_DEV", 41, kVolts},   {"CL_WinAD_DTCS", 42, kVolts},
    {"CL_WinAD_SQL", 43, kPercent},
};

std::string Format(const char* format, auto... values) {
    char text[32];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// The sensor is a 47 kOhm thermistor (B = 4000 K at 25 degrees) under a 100 kOhm resistor
// from 5 V. The raw readings 0 and 255 mean an open or shorted sensor: nothing is shown.
std::string Temperature(std::uint8_t raw) {
    if (raw == 0 || raw == 255) return {};
    const long double v = raw * 5.0L / 255.0L;
    const long double ohms = (500000.0L - v * 100000.0L) / v;
    const long double kelvin = 1.0L / (std::log(ohms / 47000.0L) * 0.00025L + 1.0L / 298.15L);
    return Format("%3.2Lf'C", kelvin - 273.15L);
}

std::string Converted(std::uint8_t raw, Conversion conversion) {
    switch (conversion) {
        case kBattery: return Format("%3.2fV", raw * 5.0 * 2.0 / 255.0);
        case kVolts: return Format("%3.2fV", raw * 5.0 / 255.0);
        case kPercent: return Format("%3.2f%%", raw * 100.0 / 255.0);
        case kTemperature: return Temperature(raw);
    }
    return {};
}

enum Shown : std::int32_t { kDecimal, kHex, kConverted };

CellResult Show(CellContext& c, cmcCellCapsule& r, std::int32_t data) {
    const Reading& reading = kReadings[data / 3];
    const std::uint8_t raw = c.Readings().Of(reading.parameter);
    switch (static_cast<Shown>(data % 3)) {
        case kDecimal: r.displayText = Format("%3d", raw); break;
        case kHex: r.displayText = Format("%2X", raw); break;
        case kConverted: r.displayText = Converted(raw, reading.conversion); break;
    }
    return CellResult::None;
}

consteval CellId Named(std::string_view base, char suffix) {
    for (const CellIdEntry& e : kCellIdTable) {
        if (e.name.size() == base.size() + 1 && e.name.starts_with(base) && e.name.back() == suffix) return e.id;
    }
    throw "no such cell";
}

consteval std::array<CellRow, 3 * std::size(kReadings)> BuildRows() {
    std::array<CellRow, 3 * std::size(kReadings)> rows{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < std::size(kReadings); ++i) {
        constexpr char kSuffixes[] = {'D', 'H', 'V'};
        for (std::int32_t shown = kDecimal; shown <= kConverted; ++shown) {
            const CellId id = Named(kReadings[i].base, kSuffixes[shown]);
            rows[n++] = {id, id, Show, static_cast<std::int32_t>(3 * i) + shown, false};
        }
    }
    return rows;
}

constexpr auto kRows = BuildRows();

}  // namespace

std::span<const CellRow> AdReadoutCellRows() { return kRows; }
