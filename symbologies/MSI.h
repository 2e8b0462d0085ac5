// MSI (modified Plessey): four bits per decimal digit, an optional modulo-10
// check digit of the Luhn kind.
#pragma once

#include "engine/BarcodeSym.h"

namespace kavren::detail {

class CBarcodeSymMSI : public CBarcodeSym {
  public:
    explicit CBarcodeSymMSI(const CBarcodeSettings& settings);
    bool Encode() override;

    // The modulo-10 check digit of m_Data, 0..9, for a text of any length.
    int MsiCheckDigit() const;

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;
};

} // namespace kavren::detail
