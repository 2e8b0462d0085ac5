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
    if (Validate())
        LoadDigitsAndCheck(11);
}

void CBarcodeSymUPCA::BuildDisplayText()
{
    if (Validate())
        BuildDigitsText(11);
}

bool CBarcodeSymUPCA::Encode()
{
    return EncodeHalves(6);
}
