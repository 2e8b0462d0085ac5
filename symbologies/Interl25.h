// Interleaved 2 of 5 (ISO/IEC 16390): digit pairs, the first in the bars and
// the second in the spaces.
#pragma once

#include "engine/BarcodeSym.h"

#include <string>

namespace kavren::detail {

class CBarcodeSymInterl25 : public CBarcodeSym {
  public:
    explicit CBarcodeSymInterl25(const CBarcodeSettings& settings);
    bool Encode() override;

    // The text with a leading "0" when the digits to encode, check digit
    // included, would otherwise be odd in number.
    std::string PadToEven(const std::string& data) const;

    // Bearer bars (m_Bearer, m_BearerWidth): across on both sides of the bars
    // and, for the box, along outside both quiet zones.
    AddedModules GetAddedModules() const override;

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;

  private:
    char CheckChar(const std::string& padded) const;
};

} // namespace kavren::detail
