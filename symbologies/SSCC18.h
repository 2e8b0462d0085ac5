// SSCC-18.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymSSCC18 : public CBarcodeSym {
public:
    explicit CBarcodeSymSSCC18(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
