#include "symbologies/UCCEAN128.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymUCCEAN128::CBarcodeSymUCCEAN128(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymUCCEAN128::Encode()
{
    return Prepare();
}

bool CBarcodeSymUCCEAN128::Validate()
{
    return false;
}
