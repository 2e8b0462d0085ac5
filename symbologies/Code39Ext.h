// Code 39 Extended (full ASCII).
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymCode39Ext : public CBarcodeSym {
public:
    explicit CBarcodeSymCode39Ext(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
