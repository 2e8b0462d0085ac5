#include "symbologies/EAN13.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymEAN13::CBarcodeSymEAN13(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymEAN13::Encode()
{
    return Prepare();
}

bool CBarcodeSymEAN13::Validate()
{
    return false;
}
