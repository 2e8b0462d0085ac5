#include "symbologies/PostPlaNet.h"

// Not built yet: every text is rejected, so Draw reports invalid data.
CBarcodeSymPostPlaNet::CBarcodeSymPostPlaNet(const CBarcodeSettings& settings, bool isPostNet)
    : CBarcodeSym(settings), m_IsPostNet(isPostNet)
{
}

bool CBarcodeSymPostPlaNet::Encode()
{
    return Prepare();
}

bool CBarcodeSymPostPlaNet::Validate()
{
    return false;
}
