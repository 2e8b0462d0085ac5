// What --compliant changes of the options: the parts of a symbol the other
// options leave free, set as the GS1 General Specifications and the
// symbologies' ISO/IEC standards draw them.
#pragma once

#include <kavren/kavren.h>

namespace kavren::detail {

class CBarcodeSym;

// The options as a compliant render reads them; the options themselves when
// `compliant` is off.
Options CompliantOptions(const Options& options);

// The image's side across the reading direction, in pixels at the
// resolution, when compliant and not given: the bars at the standard's
// height for a module of `module` pixels, the text band and what the
// symbology adds across (bearers). 0 when the options ask for none.
double CompliantAcross(const Options& options, const CBarcodeSym& sym, double module);

// A compliant text that is one run under the bars, made smaller where its
// digits at the module's height would not fit over the bars; nothing else.
void FitCompliantText(const Options& options, CBarcodeSym& sym);

} // namespace kavren::detail
