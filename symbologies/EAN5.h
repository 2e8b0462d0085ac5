// EAN-5 add-on (ISO/IEC 15420): five digits; a weighted checksum picks the
// parities and is not otherwise encoded.
#pragma once

#include "symbologies/EanUpc.h"

namespace kavren::detail {

// (3 x (d1 + d3 + d5) + 9 x (d2 + d4)) mod 10 of the five digits d1..d5.
int AddOnChecksum(const std::string& text);
// Appends the 47 modules of the five-digit add-on for `digits` (five digits,
// already validated): start 1011, then the digits with a delineator 01 between.
void EncodeEan5(std::vector<std::uint8_t>& pattern, const std::string& digits);

class CBarcodeSymEAN5 : public CBarcodeSym {
  public:
    explicit CBarcodeSymEAN5(const CBarcodeSettings& settings);
    bool Encode() override;

  protected:
    bool Validate() override;
};

} // namespace kavren::detail
