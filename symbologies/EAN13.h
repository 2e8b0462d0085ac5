// EAN-13 (ISO/IEC 15420): twelve data digits and a check digit; the leading
// digit is carried by the parities of the left half.
#pragma once

#include "symbologies/EanUpc.h"

namespace kavren::detail {

class CBarcodeSymEAN13 : public CBarcodeSymEanUpc {
  public:
    explicit CBarcodeSymEAN13(const CBarcodeSettings& settings);
    bool Encode() override;

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;
};

} // namespace kavren::detail
