#include "symbologies/EAN2.h"

namespace kavren::detail {

namespace {

// Parities of the two add-on digits by value mod 4, 1 = odd (set A),
// 0 = even (set B) (ISO/IEC 15420, two-digit add-on parity table).
static constexpr std::array<std::array<std::uint8_t, 2>, 4> AddOn2Parity = {{
    {1, 1}, // 0
    {1, 0}, // 1
    {0, 1}, // 2
    {0, 0}, // 3
}};

} // namespace

CBarcodeSymEAN2::CBarcodeSymEAN2(const CBarcodeSettings& settings) : CBarcodeSym(settings)
{
}

bool CBarcodeSymEAN2::Validate()
{
    m_ErrorDetail = DigitProblem(m_Data, 2, 2, Takes(*this, "2 digits"));
    return m_ErrorDetail.empty();
}

void EncodeEan2(std::vector<std::uint8_t>& pattern, const std::string& digits)
{
    const int first = digits[0] - '0';
    const int second = digits[1] - '0';
    const auto& parity = AddOn2Parity[static_cast<std::size_t>((first * 10 + second) % 4)];
    bool colour = false;
    AppendElements(pattern, AddOnStart);
    EncodeEanParityDigit(pattern, first, parity[0] != 0, colour);
    AppendElements(pattern, AddOnSeparator);
    EncodeEanParityDigit(pattern, second, parity[1] != 0, colour);
}

bool CBarcodeSymEAN2::Encode()
{
    if (!Prepare())
        return false;
    EncodeEan2(m_Pattern, m_DataBytes);
    return true;
}

} // namespace kavren::detail
