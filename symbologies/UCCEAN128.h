// UCC/EAN-128.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymUCCEAN128 : public CBarcodeSym {
public:
    explicit CBarcodeSymUCCEAN128(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
