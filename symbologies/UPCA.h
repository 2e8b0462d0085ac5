// UPC-A (ISO/IEC 15420): number system digit, ten data digits and a check
// digit, six digits in each half; optionally a 2- or 5-digit add-on after a '+'.
#pragma once

#include "symbologies/EanUpc.h"

class CBarcodeSymUPCA : public CBarcodeSymEanUpcHalves {
  public:
    explicit CBarcodeSymUPCA(const CBarcodeSettings& settings) : CBarcodeSymEanUpcHalves(settings, 6, true) {}
};
