// The 4-state postal codes: USPS Intelligent Mail, Royal Mail 4-State
// Customer Code, KIX and the Australia Post customer barcodes. Each encoder
// turns the data into a sequence of bar states and hands it with the code's
// printed geometry to FourStateSymbol.
//
// Geometry is in modules, and the module is the bar width: -n (the
// x-dimension) sets the width of one bar, and the pitch, the bar heights and
// the quiet zones follow from the code's nominal dimensions in the same
// ratio. The bar heights are fixed rows: a taller image leaves the bars as
// the standard draws them, in the middle of it. No x-dimension given, the
// command line takes the nominal bar width at the resolution.
//
// The postal services print no human-readable text under these codes (the
// address block beside them is the readable part): the data is drawn as text
// only when the options ask for it (Options::hri), like a matrix symbol's.
#pragma once

#include "symbologies/Encoder.h"

#include <string>
#include <string_view>
#include <vector>

namespace kavren::detail {

// A code's nominal printed dimensions, in the unit its standard uses.
struct FourStateDimensions {
    double inches; // one unit of the standard in inches
    double barWidth;
    double pitch;     // from the start of one bar to the start of the next
    double extension; // of an ascender above, or a descender below, the tracker
    double tracker;
    double sideQuiet; // before the first bar and after the last
    double endQuiet;  // above the ascenders and below the descenders
};

// USPS-B-3200, in inches: bar width 0.020 (0.015 to 0.025), 22 bars per inch
// (20 to 24), full bar 0.145 (0.125 to 0.165), tracker 0.048 (0.039 to
// 0.057), so ascender and descender 0.0965 with the tracker (0.091 to
// 0.131); clear zones (DMM 202.5) 0.125 before and after, 0.028 above and
// below.
inline constexpr FourStateDimensions kImbDimensions{
    1.0, 0.020, 1.0 / 22.0, (0.145 - 0.048) / 2.0, 0.048, 0.125, 0.028};
// Royal Mail, in millimetres: bar width 0.50 (0.38 to 0.63), 22 bars per
// 25.4 mm (20 to 24), tracker 1.27 (1.02 to 1.52), ascender and descender
// 1.88 beyond it (1.60 to 2.16); quiet zones of 2 mm. KIX is printed the same.
inline constexpr FourStateDimensions kRoyalMailDimensions{1.0 / 25.4, 0.50, 25.4 / 22.0, 1.88, 1.27, 2.0, 2.0};
// Australia Post, in millimetres: bar width 0.50 (0.40 to 0.60), 24 bars per
// 25.4 mm (22 to 25), tracker 1.30 (1.00 to 1.60), ascender and descender
// 1.85 beyond it (1.60 to 2.10); quiet zones of 6 mm before and after, 2 mm
// above and below.
inline constexpr FourStateDimensions kAusPostDimensions{1.0 / 25.4, 0.50, 25.4 / 24.0, 1.85, 1.30, 6.0, 2.0};

// The nominal bar width of a 4-state code in inches: the module its symbol
// is drawn at when no x-dimension is given. 0 for every other symbology.
double NominalBarWidthInches(Symbology symbology);

// The bars as an encoded symbol at those dimensions, with `text` as its
// human-readable text when options.hri asks for it; the side quiet zones only
// when the options keep them.
EncodeResult FourStateResult(const Options& options, const std::vector<BarState>& bars,
                             const FourStateDimensions& dimensions, std::string text);
// InvalidText with the reason.
EncodeResult FourStateInvalid(std::string detail);

// USPS-B-3200: "TRACKING-ROUTING" or 20, 25, 29 or 31 digits.
EncodeResult EncodeImb(const Options& options, std::string_view data);
// Royal Mail: letters and digits, the check character appended.
EncodeResult EncodeRm4scc(const Options& options, std::string_view data);
// PostNL KIX: letters and digits, no check character, no start and stop bars.
EncodeResult EncodeKix(const Options& options, std::string_view data);
// Australia Post: the 8-digit DPID and customer information, the format
// control code from the length; the Reply Paid, Routing and Redirection forms
// of an 8-digit DPID.
EncodeResult EncodeAusPost(const Options& options, std::string_view data);
EncodeResult EncodeAusPostReply(const Options& options, std::string_view data);
EncodeResult EncodeAusPostRouting(const Options& options, std::string_view data);
EncodeResult EncodeAusPostRedirect(const Options& options, std::string_view data);

} // namespace kavren::detail
