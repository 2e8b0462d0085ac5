#include "symbologies/EAN8.h"

CBarcodeSymEAN8::CBarcodeSymEAN8(const CBarcodeSettings& settings) : CBarcodeSymEanUpc(settings)
{
}

bool CBarcodeSymEAN8::Validate()
{
    return HasData() && IsDigitsOfLength(m_Data, 7, 8);
}

// An 8th digit is replaced by the computed check digit, never compared.
void CBarcodeSymEAN8::LoadData()
{
    if (!Validate())
        return;
    m_DataBytes.assign(m_Data, 0, 7);
    m_DataBytes.push_back(static_cast<char>('0' + CheckDigit3131(m_Data.c_str(), 7)));
}

void CBarcodeSymEAN8::BuildDisplayText()
{
    if (!Validate())
        return;
    m_DisplayText.assign(m_Data, 0, 7);
    if (m_ShowCheckDigit)
        m_DisplayText.push_back(static_cast<char>('0' + CheckDigit3131(m_Data.c_str(), 7)));
}

bool CBarcodeSymEAN8::Encode()
{
    if (!Prepare())
        return false;
    bool colour = false;
    AppendElements(m_Pattern, EanNormalGuard);
    for (std::size_t i = 0; i < 8; ++i) {
        EncodeEanDigit(m_Pattern, m_DataBytes[i] - '0', colour);
        if (i == 3) {
            AppendElements(m_Pattern, EanCentreGuard);
            colour = true;
        }
    }
    AppendElements(m_Pattern, EanNormalGuard);
    return true;
}
