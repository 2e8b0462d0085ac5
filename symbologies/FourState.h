// The 4-state postal codes: USPS Intelligent Mail, Royal Mail 4-State
// Customer Code, KIX and the Australia Post customer barcodes. Each encoder
// turns the data into a sequence of bar states and hands it with the code's
// printed geometry to FourStateSymbol.
//
// Geometry is in modules, and the module is the bar width: -x (the module
// width) sets the width of one bar, and the pitch, the bar heights and the
// quiet zones follow from the code's nominal dimensions in the same ratio.
#pragma once

#include "symbologies/Encoder.h"

#include <string>
#include <string_view>
#include <vector>

namespace kavren::detail {

// A code's nominal printed dimensions, in the units its standard uses (inches
// or millimetres; only the ratios to the bar width matter).
struct FourStateDimensions {
    double barWidth;
    double pitch;     // from the start of one bar to the start of the next
    double extension; // of an ascender above, or a descender below, the tracker
    double tracker;
    double sideQuiet; // before the first bar and after the last
    double endQuiet;  // above the ascenders and below the descenders
};

// The bars as an encoded symbol at those dimensions, with `text` as its
// human-readable text; the side quiet zones only when the options keep them.
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
