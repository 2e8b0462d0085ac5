#include "symbologies/FourState.h"

#include <utility>

namespace kavren::detail {

double NominalBarWidthInches(Symbology symbology)
{
    switch (symbology) {
    case Symbology::IntelligentMail: return kImbDimensions.barWidth * kImbDimensions.inches;
    case Symbology::Rm4scc:
    case Symbology::Kix: return kRoyalMailDimensions.barWidth * kRoyalMailDimensions.inches;
    case Symbology::AusPost:
    case Symbology::AusPostReply:
    case Symbology::AusPostRouting:
    case Symbology::AusPostRedirect: return kAusPostDimensions.barWidth * kAusPostDimensions.inches;
    default: return 0.0;
    }
}

EncodeResult FourStateResult(const Options& options, const std::vector<BarState>& bars,
                             const FourStateDimensions& dimensions, std::string text)
{
    const double module = dimensions.barWidth;
    const double side = options.quietZones ? dimensions.sideQuiet / module : 0.0;
    const double end = dimensions.endQuiet / module;
    EncodeResult result;
    result.symbol = FourStateSymbol(bars, dimensions.pitch / module, 1.0, dimensions.extension / module,
                                    dimensions.tracker / module, dimensions.extension / module,
                                    QuietZones{side, side, end, end});
    // The bar heights are the standard's, whatever the image leaves across.
    for (SymbolRow& row : result.symbol.rows) {
        row.stretch = 0.0;
    }
    if (options.hri && !text.empty()) {
        const ModuleSpan length = result.symbol.length;
        result.symbol.texts.push_back({std::move(text), TextRole::Main, {}, length, 2});
    }
    return result;
}

EncodeResult FourStateInvalid(std::string detail)
{
    return InvalidData(std::move(detail));
}

} // namespace kavren::detail
