// What --compliant changes of the options: the parts of a symbol the other
// options leave free, set as the GS1 General Specifications and the
// symbologies' ISO/IEC standards draw them.
#pragma once

#include <kavren/kavren.h>

namespace kavren::detail {

// The options as a compliant render reads them; the options themselves when
// `compliant` is off.
Options CompliantOptions(const Options& options);

} // namespace kavren::detail
