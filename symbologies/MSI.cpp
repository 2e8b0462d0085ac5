#include "symbologies/MSI.h"

#include "symbologies/Digits.h"

#include <array>
#include <cstdint>

namespace kavren::detail {

// Each digit 0..9 in base 2, most significant bit first.
static constexpr std::array<std::array<std::uint8_t, 4>, 10> MsiDigitBits = {{
    {0, 0, 0, 0}, // 0
    {0, 0, 0, 1}, // 1
    {0, 0, 1, 0}, // 2
    {0, 0, 1, 1}, // 3
    {0, 1, 0, 0}, // 4
    {0, 1, 0, 1}, // 5
    {0, 1, 1, 0}, // 6
    {0, 1, 1, 1}, // 7
    {1, 0, 0, 0}, // 8
    {1, 0, 0, 1}, // 9
}};

CBarcodeSymMSI::CBarcodeSymMSI(const CBarcodeSettings& settings) : CBarcodeSym(settings)
{
}

bool CBarcodeSymMSI::Validate()
{
    m_ErrorDetail = DigitProblem(m_Data, Takes(*this, "digits"));
    return m_ErrorDetail.empty();
}

// The digits in odd positions from the right form a number N whose double's
// digit sum is added to the digits in even positions. Doubling a digit carries
// at most 1 into a place that then holds at most 8 + 1, so the digit sum of 2N
// is the sum over those digits of the digit sum of 2d: no wide number needed.
// The sum is kept modulo 10, so any length is safe.
int CBarcodeSymMSI::MsiCheckDigit() const
{
    int sum = 0;
    bool doubled = true; // the rightmost digit is position 1
    for (auto it = m_Data.rbegin(); it != m_Data.rend(); ++it) {
        const int d = *it - '0';
        sum += doubled ? (2 * d) / 10 + (2 * d) % 10 : d;
        sum %= 10;
        doubled = !doubled;
    }
    return (10 - sum) % 10;
}

void CBarcodeSymMSI::LoadData()
{
    m_DataBytes = m_Data;
    if (m_CalcCheckDigit) {
        m_DataBytes += static_cast<char>('0' + MsiCheckDigit());
    }
}

void CBarcodeSymMSI::BuildDisplayText()
{
    m_DisplayText = m_Data;
    if (m_CalcCheckDigit && m_ShowCheckDigit) {
        m_DisplayText += static_cast<char>('0' + MsiCheckDigit());
    }
}

// A 1 bit is a wide bar and a narrow space, a 0 bit a narrow bar and a wide space.
bool CBarcodeSymMSI::Encode()
{
    if (!Prepare()) {
        return false;
    }
    static constexpr std::array<std::uint8_t, 2> start = {WIDE_BAR, SPACE1};
    static constexpr std::array<std::uint8_t, 3> stop = {BAR1, WIDE_SPACE, BAR1};
    m_Pattern.insert(m_Pattern.end(), start.begin(), start.end());
    for (const char c : m_DataBytes) {
        for (const std::uint8_t bit : MsiDigitBits[static_cast<std::size_t>(c - '0')]) {
            m_Pattern.push_back(bit != 0 ? WIDE_BAR : BAR1);
            m_Pattern.push_back(bit != 0 ? SPACE1 : WIDE_SPACE);
        }
    }
    m_Pattern.insert(m_Pattern.end(), stop.begin(), stop.end());
    return true;
}

} // namespace kavren::detail
