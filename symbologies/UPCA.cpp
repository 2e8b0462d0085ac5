#include "symbologies/UPCA.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymUPCA::CBarcodeSymUPCA(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymUPCA::Encode()
{
    return Prepare();
}

bool CBarcodeSymUPCA::Validate()
{
    return false;
}
