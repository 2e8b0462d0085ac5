// EAN-8 (ISO/IEC 15420): seven data digits and a check digit, four digits in
// each half.
#pragma once

#include "symbologies/EanUpc.h"

namespace kavren::detail {

class CBarcodeSymEAN8 : public CBarcodeSymEanUpcHalves {
  public:
    explicit CBarcodeSymEAN8(const CBarcodeSettings& settings) : CBarcodeSymEanUpcHalves(settings, 4) {}
};

} // namespace kavren::detail
