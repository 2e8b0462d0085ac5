#include "symbologies/UPCA.h"

CBarcodeSymUPCA::CBarcodeSymUPCA(const CBarcodeSettings& settings) : CBarcodeSymEanUpc(settings)
{
}

bool CBarcodeSymUPCA::Validate()
{
    return HasData() && IsDigitsOfLength(m_Data, 11, 12);
}

// A 12th digit is replaced by the computed check digit, never compared.
void CBarcodeSymUPCA::LoadData()
{
    if (!Validate())
        return;
    m_DataBytes.assign(m_Data, 0, 11);
    m_DataBytes.push_back(static_cast<char>('0' + CheckDigit3131(m_Data.c_str(), 11)));
}

void CBarcodeSymUPCA::BuildDisplayText()
{
    if (!Validate())
        return;
    m_DisplayText.assign(m_Data, 0, 11);
    if (m_ShowCheckDigit)
        m_DisplayText.push_back(static_cast<char>('0' + CheckDigit3131(m_Data.c_str(), 11)));
}

bool CBarcodeSymUPCA::Encode()
{
    if (!Prepare())
        return false;
    bool colour = false;
    AppendElements(m_Pattern, EanNormalGuard);
    for (std::size_t i = 0; i < 12; ++i) {
        EncodeEanDigit(m_Pattern, m_DataBytes[i] - '0', colour);
        if (i == 5) {
            AppendElements(m_Pattern, EanCentreGuard);
            colour = true;
        }
    }
    AppendElements(m_Pattern, EanNormalGuard);
    return true;
}
