// PostNet and Planet, the height-modulated postal codes.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymPostPlaNet : public CBarcodeSym {
public:
    CBarcodeSymPostPlaNet(const CBarcodeSettings& settings, bool isPostNet);
    bool Encode() override;
    bool Validate() override;

    const bool m_IsPostNet;
};
