#include "symbologies/EAN5.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymEAN5::CBarcodeSymEAN5(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymEAN5::Encode()
{
    return Prepare();
}

bool CBarcodeSymEAN5::Validate()
{
    return false;
}
