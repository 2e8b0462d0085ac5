// ITF-14.
#pragma once

#include "engine/BarcodeSym.h"

class CBarcodeSymITF14 : public CBarcodeSym {
public:
    explicit CBarcodeSymITF14(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
