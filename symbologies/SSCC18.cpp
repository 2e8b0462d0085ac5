#include "symbologies/SSCC18.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymSSCC18::CBarcodeSymSSCC18(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymSSCC18::Encode()
{
    return Prepare();
}

bool CBarcodeSymSSCC18::Validate()
{
    return false;
}
