#include "symbologies/EAN14.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymEAN14::CBarcodeSymEAN14(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymEAN14::Encode()
{
    return Prepare();
}

bool CBarcodeSymEAN14::Validate()
{
    return false;
}
