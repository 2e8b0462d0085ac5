#include "symbologies/Industr25.h"

#include "symbologies/Digits.h"

#include <string>

namespace kavren::detail {

CBarcodeSymIndustr25::CBarcodeSymIndustr25(const CBarcodeSettings& settings) : CBarcodeSym(settings)
{
}

bool CBarcodeSymIndustr25::Validate()
{
    m_ErrorDetail = DigitProblem(m_Data, Takes(*this, "digits"));
    return m_ErrorDetail.empty();
}

// The family's modulo-10 check gives the last data digit weight 3: the GS1 one.
char CBarcodeSymIndustr25::CheckChar() const
{
    return static_cast<char>('0' + Gs1CheckDigit(m_Data));
}

void CBarcodeSymIndustr25::LoadData()
{
    m_DataBytes = m_Data;
    if (m_CalcCheckDigit) {
        m_DataBytes += CheckChar();
    }
}

void CBarcodeSymIndustr25::BuildDisplayText()
{
    m_DisplayText = m_Data;
    if (m_CalcCheckDigit && m_ShowCheckDigit) {
        m_DisplayText += CheckChar();
    }
}

// Every digit is five bars, each followed by a narrow space.
bool CBarcodeSymIndustr25::Encode()
{
    if (!Prepare()) {
        return false;
    }
    static constexpr std::array<std::uint8_t, 6> start = {WIDE_BAR, SPACE1, WIDE_BAR, SPACE1, BAR1, SPACE1};
    static constexpr std::array<std::uint8_t, 5> stop = {WIDE_BAR, SPACE1, BAR1, SPACE1, WIDE_BAR};
    m_Pattern.insert(m_Pattern.end(), start.begin(), start.end());
    for (const char c : m_DataBytes) {
        for (const std::uint8_t bar : TwoOfFiveWidths[static_cast<std::size_t>(c - '0')]) {
            m_Pattern.push_back(bar);
            m_Pattern.push_back(SPACE1);
        }
    }
    m_Pattern.insert(m_Pattern.end(), stop.begin(), stop.end());
    return true;
}

} // namespace kavren::detail
