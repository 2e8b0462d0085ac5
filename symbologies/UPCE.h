// UPC-E (ISO/IEC 15420): the zero-suppressed six-digit form of a UPC-A number
// of number system 0 or 1; number system and check digit ride in the parities.
#pragma once

#include "symbologies/EanUpc.h"

namespace kavren::detail {

// Parities of the six UPC-E digits by check digit for number system 0,
// 1 = odd (set A), 0 = even (set B) (ISO/IEC 15420, UPC-E parity table). Number system 1
// uses every byte inverted; columns 1..5 are also the EAN-5 add-on parities.
inline constexpr std::array<std::array<std::uint8_t, 6>, 10> UpcEParity = {{
    {0, 0, 0, 1, 1, 1}, // 0
    {0, 0, 1, 0, 1, 1}, // 1
    {0, 0, 1, 1, 0, 1}, // 2
    {0, 0, 1, 1, 1, 0}, // 3
    {0, 1, 0, 0, 1, 1}, // 4
    {0, 1, 1, 0, 0, 1}, // 5
    {0, 1, 1, 1, 0, 0}, // 6
    {0, 1, 0, 1, 0, 1}, // 7
    {0, 1, 0, 1, 1, 0}, // 8
    {0, 1, 1, 0, 1, 0}, // 9
}};

class CBarcodeSymUPCE : public CBarcodeSymEanUpc {
  public:
    explicit CBarcodeSymUPCE(const CBarcodeSettings& settings);
    bool Encode() override;
    // Also compresses the number: m_DataBytes becomes the six UPC-E digits.

    // Zero-suppresses an 11-digit UPC-A number into six digits; false when no
    // rule applies. Sets m_CheckDigit either way.
    bool CompressUpcA(const std::string& upcA, std::string& sixDigits);

    std::int8_t m_NumberSystem = 0;
    std::uint8_t m_CheckDigit = 0;

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;
};

} // namespace kavren::detail
