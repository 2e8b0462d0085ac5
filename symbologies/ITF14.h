// ITF-14: a GTIN-14 in Interleaved 2 of 5, the check digit always computed.
#pragma once

#include "symbologies/Interl25.h"

namespace kavren::detail {

class CBarcodeSymITF14 : public CBarcodeSymInterl25 {
  public:
    explicit CBarcodeSymITF14(const CBarcodeSettings& settings);

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;

  private:
    char CheckChar() const;
};

} // namespace kavren::detail
