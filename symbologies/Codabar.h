// Codabar (AIM USS Codabar): a discrete two-width symbology, seven elements per
// character and a one-module gap between characters. The user writes the start
// and stop letters (A-D, either case) as the first and last characters.
#pragma once

#include "engine/BarcodeSym.h"

#include <cstdint>
#include <string>

namespace kavren::detail {

class CBarcodeSymCodabar : public CBarcodeSym {
  public:
    explicit CBarcodeSymCodabar(const CBarcodeSettings& settings);
    bool Encode() override;

    static bool IsStartStopChar(char character);
    static char ToUpperStartStop(char character);
    // Row 0..19 of the character; -1 and false when it has none.
    static bool LookupChar(char character, int& value);

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;

  private:
    std::string Problem() const;
};

} // namespace kavren::detail
