// EAN-5 add-on.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymEAN5 : public CBarcodeSym {
public:
    explicit CBarcodeSymEAN5(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
