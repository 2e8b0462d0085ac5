// EAN-2 add-on (ISO/IEC 15420): two digits whose value mod 4 picks the parities.
#pragma once

#include "symbologies/EanUpc.h"

class CBarcodeSymEAN2 : public CBarcodeSym {
  public:
    explicit CBarcodeSymEAN2(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
