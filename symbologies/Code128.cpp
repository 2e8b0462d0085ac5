#include "symbologies/Code128.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymCode128::CBarcodeSymCode128(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymCode128::Encode()
{
    return Prepare();
}

bool CBarcodeSymCode128::Validate()
{
    return false;
}
