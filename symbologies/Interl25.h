// Interleaved 2 of 5.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymInterl25 : public CBarcodeSym {
public:
    explicit CBarcodeSymInterl25(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
