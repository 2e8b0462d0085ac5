// Code 11 (USD-8): a discrete two-width symbology for digits and the hyphen,
// five elements per character, a one-module gap between characters and the
// start/stop character "S" at both ends. No check characters are encoded.
#pragma once

#include "engine/BarcodeSym.h"

#include <cstdint>

namespace kavren::detail {

class CBarcodeSymCode11 : public CBarcodeSym {
  public:
    explicit CBarcodeSymCode11(const CBarcodeSettings& settings);
    bool Encode() override;

    // Row 0..11 of the character ("S" is the start/stop row); -1 and false when it has none.
    static bool LookupChar(char character, int& value);

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;
};

} // namespace kavren::detail
