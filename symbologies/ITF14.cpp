#include "symbologies/ITF14.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymITF14::CBarcodeSymITF14(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymITF14::Encode()
{
    return Prepare();
}

bool CBarcodeSymITF14::Validate()
{
    return false;
}
