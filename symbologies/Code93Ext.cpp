#include "symbologies/Code93Ext.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymCode93Ext::CBarcodeSymCode93Ext(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymCode93Ext::Encode()
{
    return Prepare();
}

bool CBarcodeSymCode93Ext::Validate()
{
    return false;
}
