// EAN-14.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymEAN14 : public CBarcodeSym {
public:
    explicit CBarcodeSymEAN14(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
