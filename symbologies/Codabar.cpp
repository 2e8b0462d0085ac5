#include "symbologies/Codabar.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymCodabar::CBarcodeSymCodabar(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymCodabar::Encode()
{
    return Prepare();
}

bool CBarcodeSymCodabar::Validate()
{
    return false;
}
