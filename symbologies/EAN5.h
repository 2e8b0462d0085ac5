// EAN-5 add-on (ISO/IEC 15420): five digits; a weighted checksum picks the
// parities and is not otherwise encoded.
#pragma once

#include "symbologies/EanUpc.h"

// (3 x (d1 + d3 + d5) + 9 x (d2 + d4)) mod 10 of the five digits d1..d5.
int AddOnChecksum(const std::string& text);

class CBarcodeSymEAN5 : public CBarcodeSym {
  public:
    explicit CBarcodeSymEAN5(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
};
