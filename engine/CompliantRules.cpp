#include "engine/CompliantRules.h"

#include <array>

namespace kavren::detail {
namespace {

// GS1 nominal bar heights at the nominal 0.33 mm module (GS1 General
// Specifications, 5.2, EAN/UPC symbol dimensions): EAN-13, UPC-A and UPC-E
// 22.85 mm, EAN-8 18.23 mm; the add-ons' bars end where the main guards end.
constexpr double kNominalModule = 0.33;
constexpr double kEan13Bars = 22.85 / kNominalModule;
constexpr double kEan8Bars = 18.23 / kNominalModule;
// GS1 General Specifications, symbol specification tables for logistics
// labels: GS1-128 and ITF-14 bars at least 32 mm high, whatever the module.
constexpr double kLogisticsBars = 32.0;

// Quiet zones: ISO/IEC 15420 and GS1 General Specifications 5.2 for
// EAN/UPC (EAN-13 11 and 7, EAN-8 7 and 7, UPC-A 9 and 9, UPC-E 9 and 7; an
// add-on alone 7 before, 5 after), ISO/IEC 16390 (Interleaved 2 of 5), ISO/IEC
// 16388 (Code 39), ISO/IEC 15417 (Code 128), GS1 5.4 (GS1-128) and 5.3
// (ITF-14), ISO/IEC 15391 (Codabar) and the AIM specifications of the others:
// 10 modules. PostNet and Planet have no rule: the USPS gives their bars in
// inches, drawn as without the switch.
constexpr std::array<CompliantRule, 20> kRules = {{
    {0, 10, 10, 0.0, 0.0},             // Interleaved 2 of 5
    {1, 10, 10, 0.0, 0.0},             // Industrial 2 of 5
    {2, 10, 10, 0.0, 0.0},             // Code 39
    {3, 10, 10, 0.0, 0.0},             // Code 39 Extended
    {4, 10, 10, 0.0, 0.0},             // Code 11
    {5, 10, 10, 0.0, 0.0},             // Codabar
    {6, 10, 10, 0.0, 0.0},             // MSI
    {7, 10, 10, 0.0, 0.0},             // Code 128
    {8, 7, 5, kEan13Bars, 0.0},        // EAN-2 add-on
    {9, 7, 5, kEan13Bars, 0.0},        // EAN-5 add-on
    {10, 7, 7, kEan8Bars, 0.0},        // EAN-8
    {11, 11, 7, kEan13Bars, 0.0},      // EAN-13
    {12, 10, 10, 0.0, kLogisticsBars}, // EAN-14 (GS1-128)
    {13, 9, 9, kEan13Bars, 0.0},       // UPC-A
    {14, 9, 7, kEan13Bars, 0.0},       // UPC-E
    {15, 10, 10, 0.0, kLogisticsBars}, // GS1-128
    {16, 10, 10, 0.0, kLogisticsBars}, // SSCC-18 (GS1-128)
    {19, 10, 10, 0.0, 0.0},            // Code 93
    {20, 10, 10, 0.0, 0.0},            // Code 93 Extended
    {21, 10, 10, 0.0, kLogisticsBars}, // ITF-14
}};

} // namespace

const CompliantRule* FindCompliantRule(std::int32_t type)
{
    for (const CompliantRule& rule : kRules)
        if (rule.type == type)
            return &rule;
    return nullptr;
}

} // namespace kavren::detail
