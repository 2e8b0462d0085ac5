// The steps Render and Encode share: checking the options and putting them on
// a symbology object of the classic symbologies.
#pragma once

#include "common/EncodedSymbol.h"
#include "engine/BarcodeSym.h"

#include <kavren/kavren.h>

#include <string>

namespace kavren::detail {

// Every value the command line would not accept, by the field's name; empty
// when all are acceptable. The symbology number is the engine's to judge
// (CantSetType), the Code 128 set the symbology's (InvalidText).
std::string FindInvalidOption(const Options& o);

// The settings go onto the live object in this order; flags that change the
// encoding or the text are followed by the step that rebuilds it, and the data
// text comes last (the manager's symbology number is set after).
void ApplySettings(const Options& o, const char* data, CBarcodeSym& sym);

// An encoded symbol drawn as the options ask (size, format, appearance) into
// the sink: the font opened and measured, the symbol fitted and laid out,
// the shapes rendered; `title` names an SVG or EPS document.
Status RenderSymbol(const Options& options, const EncodedSymbol& symbol, const std::string& title,
                    const ByteSink& sink);

} // namespace kavren::detail
