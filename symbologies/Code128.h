// Code 128.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymCode128 : public CBarcodeSym {
public:
    explicit CBarcodeSymCode128(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
