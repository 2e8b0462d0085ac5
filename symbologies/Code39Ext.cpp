#include "symbologies/Code39Ext.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymCode39Ext::CBarcodeSymCode39Ext(const CBarcodeSettings& settings) : CBarcodeSym(settings) {}

bool CBarcodeSymCode39Ext::Encode()
{
    return Prepare();
}

bool CBarcodeSymCode39Ext::Validate()
{
    return false;
}
