// Codabar.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymCodabar : public CBarcodeSym {
public:
    explicit CBarcodeSymCodabar(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
