#include "symbologies/UPCE.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymUPCE::CBarcodeSymUPCE(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymUPCE::Encode()
{
    return Prepare();
}

bool CBarcodeSymUPCE::Validate()
{
    return false;
}
