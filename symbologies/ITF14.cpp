#include "symbologies/ITF14.h"

#include "symbologies/EanUpc.h"

namespace kavren::detail {

CBarcodeSymITF14::CBarcodeSymITF14(const CBarcodeSettings& settings) : CBarcodeSymInterl25(settings)
{
}

// 13 digits, or 14 whose last one is replaced by the computed check digit.
bool CBarcodeSymITF14::Validate()
{
    m_ErrorDetail.clear();
    m_Warning.clear();
    if (!CBarcodeSymInterl25::Validate() || (m_Data.size() != 13 && m_Data.size() != 14)) {
        m_ErrorDetail = DigitProblem(m_Data, 13, 14, Takes(*this, "13 or 14 digits"));
        return false;
    }
    return m_Data.size() == 13 || CheckTypedDigit(*this, m_Data);
}

char CBarcodeSymITF14::CheckChar() const
{
    return static_cast<char>('0' + Gs1CheckDigit(std::string_view(m_Data).substr(0, 13)));
}

void CBarcodeSymITF14::LoadData()
{
    m_DataBytes = m_Data.substr(0, 13) + CheckChar();
}

// Groups of 1, 2, 5 and 5 digits two spaces apart, then the check digit.
void CBarcodeSymITF14::BuildDisplayText()
{
    m_DisplayText = m_Data.substr(0, 13);
    m_DisplayText.insert(1, "  ");
    m_DisplayText.insert(5, "  ");
    m_DisplayText.insert(12, "  ");
    if (m_ShowCheckDigit) {
        m_DisplayText += "  ";
        m_DisplayText += CheckChar();
    }
}

} // namespace kavren::detail
