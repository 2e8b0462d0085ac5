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
    double GetExactSymbolLength(double moduleWidth) const override;
    // The length fits and the bar band leaves room for a short bar of 1 pixel or more.
    bool FitsInto(int moduleWidth, int width, int height) const override;
    bool Validate() override;
    std::int32_t FindModuleWidth(const Size* area) const override;
    std::int32_t GetBarsOrigin(const Rect* area, int* x, int* y) override;
    // Tall bars span the bar band, short ones stand on the same baseline.
    void LayoutBars(const LayoutMetrics& g, Layout& out) const override;
    void LoadData() override;
    void BuildDisplayText() override;

    // The short bar for a tall bar of that many pixels: 40 %, rounded, at least 1.
    static std::int64_t ShortBarHeight(std::int64_t tallHeight);

    const bool m_IsPostNet; // PostNet; Planet when false

  private:
    std::int64_t SymbolModules() const;
};

} // namespace kavren::detail
