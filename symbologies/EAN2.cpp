#include "symbologies/EAN2.h"

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
    return IsDigitText(m_Data, 2, 2);
}

bool CBarcodeSymEAN2::Encode()
{
    if (!Prepare())
        return false;
    const int first = m_DataBytes[0] - '0';
    const int second = m_DataBytes[1] - '0';
    const auto& parity = AddOn2Parity[static_cast<std::size_t>((first * 10 + second) % 4)];
    bool colour = false;
    AppendElements(m_Pattern, AddOnStart);
    EncodeEanParityDigit(m_Pattern, first, parity[0] != 0, colour);
    AppendElements(m_Pattern, AddOnSeparator);
    EncodeEanParityDigit(m_Pattern, second, parity[1] != 0, colour);
    return true;
}
