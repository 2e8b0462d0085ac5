#include "symbologies/EAN13.h"

namespace kavren::detail {

namespace {

// Parities of the six left-half digits by leading digit, 1 = odd (set A),
// 0 = even (set B) (ISO/IEC 15420, leading digit parity table).
static constexpr std::array<std::array<std::uint8_t, 6>, 10> EanFirstDigitParity = {{
    {1, 1, 1, 1, 1, 1}, // 0
    {1, 1, 0, 1, 0, 0}, // 1
    {1, 1, 0, 0, 1, 0}, // 2
    {1, 1, 0, 0, 0, 1}, // 3
    {1, 0, 1, 1, 0, 0}, // 4
    {1, 0, 0, 1, 1, 0}, // 5
    {1, 0, 0, 0, 1, 1}, // 6
    {1, 0, 1, 0, 1, 0}, // 7
    {1, 0, 1, 0, 0, 1}, // 8
    {1, 0, 0, 1, 0, 1}, // 9
}};

} // namespace

CBarcodeSymEAN13::CBarcodeSymEAN13(const CBarcodeSettings& settings) : CBarcodeSymEanUpc(settings)
{
}

bool CBarcodeSymEAN13::Validate()
{
    m_ErrorDetail.clear();
    m_Warning.clear();
    std::string main;
    if (!SplitAddOn(main)) {
        m_ErrorDetail = AddOnProblem();
        return false;
    }
    m_ErrorDetail = DigitProblem(main, 12, 13, Takes(*this, "12 or 13 digits"));
    return m_ErrorDetail.empty() && (main.size() == 12 || CheckTypedDigit(*this, main));
}

// The main digits are a prefix of m_Data, also with an add-on.
// A 13th digit is replaced by the computed check digit, never compared.
void CBarcodeSymEAN13::LoadData()
{
    m_DataBytes.assign(m_Data, 0, 12);
    m_DataBytes.push_back(static_cast<char>('0' + Gs1CheckDigit(std::string_view(m_Data).substr(0, 12))));
}

void CBarcodeSymEAN13::BuildDisplayText()
{
    m_DisplayText.assign(m_Data, 0, 12);
    if (m_ShowCheckDigit)
        m_DisplayText.push_back(static_cast<char>('0' + Gs1CheckDigit(std::string_view(m_Data).substr(0, 12))));
}

bool CBarcodeSymEAN13::Encode()
{
    if (!Prepare())
        return false;
    const auto& parity = EanFirstDigitParity[static_cast<std::size_t>(m_DataBytes[0] - '0')];
    bool colour = false;
    AppendElements(m_Pattern, EanNormalGuard);
    for (std::size_t i = 1; i <= 6; ++i)
        EncodeEanParityDigit(m_Pattern, m_DataBytes[i] - '0', parity[i - 1] != 0, colour);
    AppendElements(m_Pattern, EanCentreGuard);
    colour = true;
    for (std::size_t i = 7; i <= 12; ++i)
        EncodeEanDigit(m_Pattern, m_DataBytes[i] - '0', colour);
    AppendElements(m_Pattern, EanNormalGuard);
    EncodeAddOn();
    return true;
}

} // namespace kavren::detail
