// EAN-8 (ISO/IEC 15420): seven data digits and a check digit, set A on the
// left and set C on the right.
#pragma once

#include "symbologies/EanUpc.h"

class CBarcodeSymEAN8 : public CBarcodeSymEanUpc {
  public:
    explicit CBarcodeSymEAN8(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;
};
