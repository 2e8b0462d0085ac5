// Code 39 (ISO/IEC 16388): a discrete two-width symbology, nine elements per
// character, three of them wide, with a one-module gap between characters and
// an optional modulo-43 check character before the stop character.
#pragma once

#include "engine/BarcodeSym.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kavren::detail {

class CBarcodeSymCode39 : public CBarcodeSym {
  public:
    explicit CBarcodeSymCode39(const CBarcodeSettings& settings);
    bool Encode() override;

    // Value 0..42 of a data character; 255 and false when it has none.
    static bool LookupChar(char character, std::uint8_t& value);
    // Appends the values of the characters; false at the first unknown one.
    static bool TextToValues(const std::string& characters, std::vector<std::uint8_t>& values);
    // Sum of the values modulo 43.
    static int CalcCheckValue(const std::vector<std::uint8_t>& values);
    void AppendChar(std::uint8_t value);
    bool BuildPattern(const std::vector<std::uint8_t>& values);

    std::uint8_t m_CheckValue = 0; // check value of the last Encode that computed one

  protected:
    bool Validate() override;
    void BuildDisplayText() override;
    // Start, the characters, the optional check character and stop as the pattern,
    // then the display text. False when a character has no Code 39 value.
    bool EncodeCharacters(const std::string& characters);
    // The display text around the given data part: start/stop and check character.
    void ComposeDisplayText(const std::string& dataPart);
};

} // namespace kavren::detail
