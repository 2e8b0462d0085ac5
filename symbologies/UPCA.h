// UPC-A (ISO/IEC 15420): number system digit, ten data digits and a check
// digit, six digits in each half; optionally a 2- or 5-digit add-on after a '+'.
#pragma once

#include "symbologies/EanUpc.h"

namespace kavren::detail {

class CBarcodeSymUPCA : public CBarcodeSymEanUpcHalves {
  public:
    explicit CBarcodeSymUPCA(const CBarcodeSettings& settings) : CBarcodeSymEanUpcHalves(settings, 6, true) {}

    // UPC-A as GS1 draws it (GS1 General Specifications 5.2, ISO/IEC 15420's
    // UPC-A figure): the bars of the number system and check digit
    // characters run down as far as the guard bars, between those two
    // digits printed outside the symbol.
    bool IsGuardLength(std::size_t element) const override
    {
        const std::size_t n = m_Pattern.size();
        const bool outerDigit = (element >= kGuardElements && element < kGuardElements + kDigitElements) ||
                                (element + kGuardElements + kDigitElements >= n && element + kGuardElements < n);
        const bool drawnSo = m_Compliant && EanTextMode(m_TextAlign, m_QuietZones) == EanBothOutsideMode;
        return CBarcodeSymEanUpcHalves::IsGuardLength(element) || (drawnSo && outerDigit);
    }

  private:
    static constexpr std::size_t kGuardElements = EanNormalGuard.size(); // bar, space, bar
    static constexpr std::size_t kDigitElements = 4;                     // two bars, two spaces
};

} // namespace kavren::detail
