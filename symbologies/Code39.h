// Code 39.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymCode39 : public CBarcodeSym {
public:
    explicit CBarcodeSymCode39(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
