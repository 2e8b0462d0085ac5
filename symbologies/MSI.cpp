#include "symbologies/MSI.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymMSI::CBarcodeSymMSI(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymMSI::Encode()
{
    return Prepare();
}

bool CBarcodeSymMSI::Validate()
{
    return false;
}
