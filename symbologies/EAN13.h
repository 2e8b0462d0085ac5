// EAN-13.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymEAN13 : public CBarcodeSym {
public:
    explicit CBarcodeSymEAN13(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
