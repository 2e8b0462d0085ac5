#include "symbologies/Code39.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymCode39::CBarcodeSymCode39(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymCode39::Encode()
{
    return Prepare();
}

bool CBarcodeSymCode39::Validate()
{
    return false;
}
