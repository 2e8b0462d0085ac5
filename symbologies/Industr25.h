// Industrial 2 of 5, and what the 2 of 5 family shares: the digit widths and
// the digits-only rule of symbologies/Digits.h.
#pragma once

#include "engine/BarcodeSym.h"
#include "symbologies/Digits.h"

#include <array>
#include <cstdint>

namespace kavren::detail {

// ISO/IEC 16390, Table 1: the five elements of each digit 0..9, narrow (BAR1)
// or wide (WIDE_BAR); exactly two of them are wide.
inline constexpr std::array<std::array<std::uint8_t, 5>, 10> TwoOfFiveWidths = {{
    {BAR1, BAR1, WIDE_BAR, WIDE_BAR, BAR1}, // 0
    {WIDE_BAR, BAR1, BAR1, BAR1, WIDE_BAR}, // 1
    {BAR1, WIDE_BAR, BAR1, BAR1, WIDE_BAR}, // 2
    {WIDE_BAR, WIDE_BAR, BAR1, BAR1, BAR1}, // 3
    {BAR1, BAR1, WIDE_BAR, BAR1, WIDE_BAR}, // 4
    {WIDE_BAR, BAR1, WIDE_BAR, BAR1, BAR1}, // 5
    {BAR1, WIDE_BAR, WIDE_BAR, BAR1, BAR1}, // 6
    {BAR1, BAR1, BAR1, WIDE_BAR, WIDE_BAR}, // 7
    {WIDE_BAR, BAR1, BAR1, WIDE_BAR, BAR1}, // 8
    {BAR1, WIDE_BAR, BAR1, WIDE_BAR, BAR1}, // 9
}};

class CBarcodeSymIndustr25 : public CBarcodeSym {
  public:
    explicit CBarcodeSymIndustr25(const CBarcodeSettings& settings);
    bool Encode() override;

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;

  private:
    char CheckChar() const;
};

} // namespace kavren::detail
