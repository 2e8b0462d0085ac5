// PostNet and Planet, the height-modulated postal codes: bars of one width in
// two heights, tall and short, one module apart.
#pragma once

#include "engine/BarcodeSym.h"

#include <cstdint>

namespace kavren::detail {

// The postal check digit: data plus check digit add up to a multiple of 10.
// 0 for a null text.
int DigitSumCheckDigit(const char* text);

class CBarcodeSymPostPlaNet : public CBarcodeSym {
  public:
    CBarcodeSymPostPlaNet(const CBarcodeSettings& settings, bool isPostNet);
    bool Encode() override;
    // Every bar and every gap is one module; quiet zones as for every symbology.
    std::int32_t GetSymbolLength(int moduleWidth) const override;

    const bool m_IsPostNet; // PostNet; Planet when false

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;

  private:
    std::int64_t SymbolModules() const;
};

} // namespace kavren::detail
