// Industrial 2 of 5.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymIndustr25 : public CBarcodeSym {
public:
    explicit CBarcodeSymIndustr25(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
