// MSI.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymMSI : public CBarcodeSym {
public:
    explicit CBarcodeSymMSI(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
