// Code 93.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymCode93 : public CBarcodeSym {
public:
    explicit CBarcodeSymCode93(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
