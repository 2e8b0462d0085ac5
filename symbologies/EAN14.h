// EAN-14: a GTIN-14 (13 digits and a modulo-10 check digit) as a GS1-128
// symbol with application identifier 01.
#pragma once

#include "symbologies/Code128.h"

namespace kavren::detail {

class CBarcodeSymEAN14 : public CBarcodeSymCode128 {
  public:
    explicit CBarcodeSymEAN14(const CBarcodeSettings& settings);
    ~CBarcodeSymEAN14() override = default;
    bool Encode() override;

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;
};

} // namespace kavren::detail
