#include "symbologies/Code93.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymCode93::CBarcodeSymCode93(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymCode93::Encode()
{
    return Prepare();
}

bool CBarcodeSymCode93::Validate()
{
    return false;
}
