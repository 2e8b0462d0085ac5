#include "symbologies/Interl25.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymInterl25::CBarcodeSymInterl25(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymInterl25::Encode()
{
    return Prepare();
}

bool CBarcodeSymInterl25::Validate()
{
    return false;
}
