// Code 11.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymCode11 : public CBarcodeSym {
public:
    explicit CBarcodeSymCode11(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
