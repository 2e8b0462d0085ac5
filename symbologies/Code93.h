// Code 93 (AIM USS Code 93): a continuous symbology, six elements of one to four
// modules per character, two check characters C and K, and a termination bar.
#pragma once

#include "engine/BarcodeSym.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kavren::detail {

class CBarcodeSymCode93 : public CBarcodeSym {
  public:
    explicit CBarcodeSymCode93(const CBarcodeSettings& settings);
    bool Encode() override;

    // Value 0..42 of a data character; -1 and false when it has none.
    static bool LookupChar(char character, int& value);
    // Weighted sum modulo 47, weights 1.. from the last value, restarting after
    // 20 for C and 15 for K.
    static int CalcCheckValue(const std::vector<std::uint8_t>& values, bool checkC);
    void AppendChar(std::uint8_t value);
    bool BuildPattern(const std::vector<std::uint8_t>& values);

    std::uint8_t m_CheckC = 0; // check characters of the last successful Encode
    std::uint8_t m_CheckK = 0;

    static constexpr std::uint8_t ShiftDollar = 43; // the shift characters ($), (%), (/), (+)
    static constexpr std::uint8_t ShiftPercent = 44;
    static constexpr std::uint8_t ShiftSlash = 45;
    static constexpr std::uint8_t ShiftPlus = 46;

  protected:
    bool Validate() override;
    void BuildDisplayText() override;
    // Start, the data values, C, K, stop and the termination bar as the pattern,
    // then the display text.
    void EncodeValues(const std::vector<std::uint8_t>& dataValues);
    // The data part followed by the check characters when they are shown.
    void ComposeDisplayText(const std::string& dataPart);
};

} // namespace kavren::detail
