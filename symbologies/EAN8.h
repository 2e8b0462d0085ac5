// EAN-8.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymEAN8 : public CBarcodeSym {
public:
    explicit CBarcodeSymEAN8(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
