#include "symbologies/Code11.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymCode11::CBarcodeSymCode11(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymCode11::Encode()
{
    return Prepare();
}

bool CBarcodeSymCode11::Validate()
{
    return false;
}
