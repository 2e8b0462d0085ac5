#include "symbologies/Interl25.h"

#include "symbologies/Digits.h"
#include "symbologies/Industr25.h"

#include <array>

namespace kavren::detail {

CBarcodeSymInterl25::CBarcodeSymInterl25(const CBarcodeSettings& settings) : CBarcodeSym(settings)
{
}

bool CBarcodeSymInterl25::Validate()
{
    m_ErrorDetail = DigitProblem(m_Data, Takes(*this, "digits"));
    return m_ErrorDetail.empty();
}

std::string CBarcodeSymInterl25::PadToEven(const std::string& data) const
{
    const std::size_t count = data.size() + (m_CalcCheckDigit ? 1 : 0);
    return count % 2 == 0 ? data : "0" + data;
}

// The family's modulo-10 check gives the last data digit weight 3: the GS1 one.
char CBarcodeSymInterl25::CheckChar(const std::string& padded) const
{
    return static_cast<char>('0' + Gs1CheckDigit(padded));
}

void CBarcodeSymInterl25::LoadData()
{
    m_DataBytes = PadToEven(m_Data);
    if (m_CalcCheckDigit) {
        m_DataBytes += CheckChar(m_DataBytes);
    }
}

void CBarcodeSymInterl25::BuildDisplayText()
{
    m_DisplayText = PadToEven(m_Data);
    if (m_CalcCheckDigit && m_ShowCheckDigit) {
        m_DisplayText += CheckChar(m_DisplayText);
    }
}

bool CBarcodeSymInterl25::Encode()
{
    if (!Prepare()) {
        return false;
    }
    static constexpr std::array<std::uint8_t, 4> start = {BAR1, SPACE1, BAR1, SPACE1};
    static constexpr std::array<std::uint8_t, 3> stop = {WIDE_BAR, SPACE1, BAR1};
    m_Pattern.insert(m_Pattern.end(), start.begin(), start.end());
    // LoadData always leaves an even number of digits.
    for (std::size_t i = 0; i + 1 < m_DataBytes.size(); i += 2) {
        const auto& bars = TwoOfFiveWidths[static_cast<std::size_t>(m_DataBytes[i] - '0')];
        const auto& spaces = TwoOfFiveWidths[static_cast<std::size_t>(m_DataBytes[i + 1] - '0')];
        for (std::size_t j = 0; j < bars.size(); ++j) {
            m_Pattern.push_back(bars[j]);
            m_Pattern.push_back(spaces[j] == WIDE_BAR ? WIDE_SPACE : SPACE1);
        }
    }
    m_Pattern.insert(m_Pattern.end(), stop.begin(), stop.end());
    return true;
}

AddedModules CBarcodeSymInterl25::GetAddedModules() const
{
    AddedModules added;
    if (m_Bearer == BearerStyle::Bars || m_Bearer == BearerStyle::Box)
        added.across = m_BearerWidth;
    if (m_Bearer == BearerStyle::Box)
        added.before = added.after = m_BearerWidth;
    return added;
}

} // namespace kavren::detail
