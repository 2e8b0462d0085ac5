#include "symbologies/EAN8.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymEAN8::CBarcodeSymEAN8(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymEAN8::Encode()
{
    return Prepare();
}

bool CBarcodeSymEAN8::Validate()
{
    return false;
}
