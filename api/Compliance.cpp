#include "api/Compliance.h"

namespace kavren::detail {

Options CompliantOptions(const Options& options)
{
    Options o = options;
    if (!o.compliant)
        return o;
    switch (o.symbology) {
    // GS1 General Specifications 5.2.5: the EAN-13 leading digit left of the
    // symbol, the UPC-A and UPC-E number system and check digits outside it,
    // the EAN-8 digits in two groups of four under its halves.
    case Symbology::Ean13: o.textAlign = TextAlign::EanLeadingOutside; break;
    case Symbology::UpcA:
    case Symbology::UpcE: o.textAlign = TextAlign::EanBothOutside; break;
    case Symbology::Ean8: o.textAlign = TextAlign::EanInside; break;
    case Symbology::Ean2:
    case Symbology::Ean5: break;
    // GS1 General Specifications 5.3.4: ITF-14 carries a bearer frame, or at
    // least bars along its top and bottom.
    case Symbology::Itf14:
        if (o.bearer == Bearer::None)
            o.bearer = Bearer::Box;
        o.textAlign = TextAlign::Centre;
        break;
    // The human-readable line centred under the bars (ISO/IEC 15417 4.8,
    // ISO/IEC 16388 4.3, GS1 General Specifications 4.15).
    default: o.textAlign = TextAlign::Centre; break;
    }
    return o;
}

} // namespace kavren::detail
