#include "symbologies/EAN14.h"

#include "symbologies/EanUpc.h"
#include "symbologies/Gs1Syntax.h"

namespace kavren::detail {

namespace {

constexpr int DigitsBeforeCheck = 13;
// m_DataBytes: FNC1, the identifier 01, 13 digits, check digit.
constexpr std::size_t GtinOffset = 3;

} // namespace

CBarcodeSymEAN14::CBarcodeSymEAN14(const CBarcodeSettings& settings) : CBarcodeSymCode128(settings)
{
}

bool CBarcodeSymEAN14::Validate()
{
    m_ErrorDetail.clear();
    m_Warning.clear();
    const bool valid = IsDigitText(m_Data, DigitsBeforeCheck, DigitsBeforeCheck + 1);
    if (!valid)
        m_ErrorDetail =
            DigitProblem(m_Data, DigitsBeforeCheck, DigitsBeforeCheck + 1, Takes(*this, "13 or 14 digits"));
    // Checked, a typed check digit is an error instead of being replaced.
    else if (m_Gs1Check && m_Data.size() > DigitsBeforeCheck)
        m_ErrorDetail = Gs1CheckTypedDigit("01", m_Data);
    else if (m_Data.size() > DigitsBeforeCheck)
        CheckTypedDigit(*this, m_Data);
    return valid && m_ErrorDetail.empty();
}

void CBarcodeSymEAN14::LoadData()
{
    // A typed 14th digit is replaced by the computed one.
    m_DataBytes.assign(1, static_cast<char>(Code128ByteFnc1));
    m_DataBytes += "01";
    m_DataBytes.append(m_Data, 0, DigitsBeforeCheck);
    m_DataBytes += static_cast<char>('0' + Gs1CheckDigit(std::string_view(m_Data).substr(0, DigitsBeforeCheck)));
}

void CBarcodeSymEAN14::BuildDisplayText()
{
    const std::size_t count = DigitsBeforeCheck + (m_ShowCheckDigit ? 1 : 0);
    m_DisplayText = m_DataBytes.substr(GtinOffset, count);
}

bool CBarcodeSymEAN14::Encode()
{
    m_CheckValue = 0;
    if (!Prepare())
        return false;
    // GS1-128 element string (01)GTIN: START C, FNC1, then 01 and seven digit pairs, all in set C.
    ValueList values = NewValueList();
    values.push_back(C128_START_C);
    values.push_back(C128_FNC1);
    const char* digits = m_DataBytes.data() + 1;
    if (!AppendSetC(values, digits, m_DataBytes.size() - 1, false)) {
        m_Valid = false;
        return false;
    }
    return FinishSymbol(values);
}

} // namespace kavren::detail
