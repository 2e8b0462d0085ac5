// UPC-E.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymUPCE : public CBarcodeSym {
public:
    explicit CBarcodeSymUPCE(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
