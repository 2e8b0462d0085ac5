#include "symbologies/Industr25.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymIndustr25::CBarcodeSymIndustr25(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymIndustr25::Encode()
{
    return Prepare();
}

bool CBarcodeSymIndustr25::Validate()
{
    return false;
}
