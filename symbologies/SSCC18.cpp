#include "symbologies/SSCC18.h"

#include "symbologies/EanUpc.h"
#include "symbologies/Gs1Syntax.h"

namespace kavren::detail {

namespace {

// The text is the identifier as typed (2 digits), the 17 serial digits and
// optionally a check digit, which is always recomputed.
constexpr std::size_t AiLength = 2;
constexpr int SerialLength = 17;

} // namespace

CBarcodeSymSSCC18::CBarcodeSymSSCC18(const CBarcodeSettings& settings) : CBarcodeSymUCCEAN128(settings)
{
}

bool CBarcodeSymSSCC18::Validate()
{
    m_ErrorDetail.clear();
    m_Warning.clear();
    const bool valid = IsDigitText(m_Data, AiLength + SerialLength, AiLength + SerialLength + 1);
    if (!valid)
        m_ErrorDetail = DigitProblem(m_Data, AiLength + SerialLength, AiLength + SerialLength + 1,
                                     Takes(*this, "19 or 20 digits"));
    else if (!m_Gs1Check && m_Data.size() > AiLength + SerialLength)
        CheckTypedDigit(*this, std::string_view(m_Data).substr(AiLength));
    if (!valid || !m_Gs1Check)
        return valid;
    // Checked, a typed identifier or check digit is an error instead of being replaced.
    if (m_Data.compare(0, AiLength, "00") != 0)
        m_ErrorDetail = "AI (00): the SSCC identifier is 00, not " + m_Data.substr(0, AiLength);
    else if (m_Data.size() > AiLength + SerialLength)
        m_ErrorDetail = Gs1CheckTypedDigit("00", std::string_view(m_Data).substr(AiLength));
    return m_ErrorDetail.empty();
}

void CBarcodeSymSSCC18::LoadData()
{
    const std::string serial = m_Data.substr(AiLength, SerialLength);
    m_DataBytes.assign(1, static_cast<char>(Code128ByteFnc1));
    m_DataBytes += "00";
    m_DataBytes += serial;
    m_DataBytes += static_cast<char>('0' + Gs1CheckDigit(serial));
}

void CBarcodeSymSSCC18::BuildDisplayText()
{
    // m_DataBytes: FNC1, "00", serial, check digit.
    const std::size_t end = m_DataBytes.size() - (m_ShowCheckDigit ? 0 : 1);
    m_DisplayText = "(00)" + m_DataBytes.substr(3, end - 3);
}

} // namespace kavren::detail
