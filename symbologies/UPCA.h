// UPC-A.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymUPCA : public CBarcodeSym {
public:
    explicit CBarcodeSymUPCA(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
