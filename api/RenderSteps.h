// The steps Render and Encode share: checking the options, encoding through
// the symbology table's encoder or putting the options on a symbology object
// of the classic symbologies, and the answer without a symbol.
#pragma once

#include "common/EncodedSymbol.h"
#include "engine/BarcodeSym.h"
#include "symbologies/Encoder.h"

#include <kavren/kavren.h>

#include <optional>
#include <vector>
#include <string>
#include <string_view>
#include <utility>

namespace kavren::detail {

class CBarcode;

// Every value the command line would not accept, by the field's name; empty
// when all are acceptable. The symbology number is the engine's to judge
// (CantSetType), the Code 128 set the symbology's (InvalidText).
std::string FindInvalidOption(const Options& o);

// The settings record of a classic symbology's object for these options and
// data, from which its class makes and encodes it in one go.
CBarcodeSettings ClassicSettings(const Options& o, const char* data);

// The symbol as the symbology table's encoder of options.symbology encodes
// the data, or its failure; nothing for a classic symbology, which draws from
// its object instead (SetUpClassic).
std::optional<EncodeResult> EncodeDirect(const Options& options, std::string_view data);
// The classic symbology's object on the manager (made from ClassicSettings),
// with its human-readable text fitted as --compliant draws it; CantSetType
// when the manager has none, for a number that names no classic symbology.
Status SetUpClassic(const Options& options, CBarcode& manager);

// An answer of the public API (Result, Encoding) that holds no symbol or
// bytes: the status, its message and the detail.
template <class Answer> Answer Outcome(Status status, std::string detail = {})
{
    Answer answer;
    answer.status = status;
    answer.message = StatusMessage(status);
    answer.detail = std::move(detail);
    return answer;
}

// The element-pattern object whose encoded symbol is drawn (a classic
// symbology): it sizes the image as its pattern measures (the side limits,
// invalid data without quiet zones, the --compliant side across), and a
// failed image, font or glyph gets its detail line in `why`.
struct PatternImage {
    const CBarcode& manager;
    std::string& why;
};

// An encoded symbol drawn as the options ask (size, format, appearance) into
// the sink: the font opened and measured, the symbol fitted and laid out,
// the shapes rendered; `title` names an SVG or EPS document. Not `valid`:
// InvalidText once the symbol (as far as it was encoded) is found to fit.
// `warnings`: what the drawing could not give as asked (a text cut).
// With `pattern`, the image is the pattern's, the symbol takes the widest
// module it holds, and an x-dimension it cannot take as asked is
// InvalidSize once the symbol is drawn.
Status RenderSymbol(const Options& options, const EncodedSymbol& symbol, const std::string& title, bool valid,
                    const ByteSink& sink, std::vector<std::string>& warnings,
                    const PatternImage* pattern = nullptr);

} // namespace kavren::detail
