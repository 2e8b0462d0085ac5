// EAN-2 add-on (ISO/IEC 15420): two digits whose value mod 4 picks the parities.
#pragma once

#include "symbologies/EanUpc.h"

namespace kavren::detail {

// Appends the 20 modules of the two-digit add-on for `digits` (two digits,
// already validated): start 1011, first digit, delineator 01, second digit.
void EncodeEan2(std::vector<std::uint8_t>& pattern, const std::string& digits);

class CBarcodeSymEAN2 : public CBarcodeSym {
  public:
    explicit CBarcodeSymEAN2(const CBarcodeSettings& settings);
    bool Encode() override;

  protected:
    bool Validate() override;
};

} // namespace kavren::detail
