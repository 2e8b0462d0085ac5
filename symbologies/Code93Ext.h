// Code 93 Extended (full ASCII).
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymCode93Ext : public CBarcodeSym {
public:
    explicit CBarcodeSymCode93Ext(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
