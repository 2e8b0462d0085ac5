// SSCC-18: application identifier 00, 17 digits and a modulo-10 check digit,
// as a GS1-128 symbol.
#pragma once

#include "symbologies/UCCEAN128.h"

namespace kavren::detail {

class CBarcodeSymSSCC18 : public CBarcodeSymUCCEAN128 {
  public:
    explicit CBarcodeSymSSCC18(const CBarcodeSettings& settings);
    ~CBarcodeSymSSCC18() override = default;

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;
};

} // namespace kavren::detail
