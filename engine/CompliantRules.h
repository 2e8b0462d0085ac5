// The dimensions the standards give each classic symbology, which a compliant
// render draws where the other settings leave them free: quiet zones and the
// nominal bar height.
#pragma once

#include <cstdint>

namespace kavren::detail {

struct CompliantRule {
    std::int32_t type;     // the symbology number
    std::int32_t leading;  // quiet zone before the first bar, in modules
    std::int32_t trailing; // after the last bar (an add-on has its own, below)
    // The bar height: `barModules` modules when above 0 (it scales with the
    // module), else `barMillimetres` when above 0, else the general minimum
    // (kMinBarMillimetres or kMinBarShare of the symbol, whichever is greater).
    double barModules;
    double barMillimetres;
};

// The rule of a symbology number; null for one without (the matrix and
// 4-state codes follow their standards without the switch).
const CompliantRule* FindCompliantRule(std::int32_t type);

// GS1 General Specifications, 5.2 (EAN/UPC add-ons): 5 modules after an add-on.
inline constexpr std::int32_t kAddOnTrailingQuiet = 5;
// GS1 General Specifications, 5.2 (EAN/UPC): the guard bars extend 5 modules
// below the others.
inline constexpr double kGuardExtensionModules = 5.0;
// The open-system minimum height of the AIM symbology specifications (USS
// Code 39, Code 128, Code 93, Interleaved 2 of 5, Codabar): 6.35 mm (0.25 in)
// or 15 % of the symbol's length without quiet zones, whichever is greater.
inline constexpr double kMinBarMillimetres = 6.35;
inline constexpr double kMinBarShare = 0.15;
// GS1 General Specifications, 5.2 (EAN-13 at 0.33 mm: digits about 2.75 mm
// high): the human-readable digits' height in modules.
inline constexpr double kDigitModules = 2.75 / 0.33;
// The outside digits of UPC-A and UPC-E as GS1 draws them: smaller than the
// others (GS1 General Specifications, 5.2 human-readable interpretation).
inline constexpr double kOutsideDigitScale = 0.75;

} // namespace kavren::detail
