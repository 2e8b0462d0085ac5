// EAN-2 add-on.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymEAN2 : public CBarcodeSym {
public:
    explicit CBarcodeSymEAN2(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
