#include "symbologies/EAN2.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymEAN2::CBarcodeSymEAN2(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymEAN2::Encode()
{
    return Prepare();
}

bool CBarcodeSymEAN2::Validate()
{
    return false;
}
