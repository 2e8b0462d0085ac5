// UPC-A (ISO/IEC 15420): number system digit, ten data digits and a check
// digit, set A on the left and set C on the right.
#pragma once

#include "symbologies/EanUpc.h"

class CBarcodeSymUPCA : public CBarcodeSymEanUpc {
  public:
    explicit CBarcodeSymUPCA(const CBarcodeSettings& settings);
    bool Encode() override;
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;
};
