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
    if (Validate())
        LoadDigitsAndCheck(7);
}

void CBarcodeSymEAN8::BuildDisplayText()
{
    if (Validate())
        BuildDigitsText(7);
}

bool CBarcodeSymEAN8::Encode()
{
    return EncodeHalves(4);
}
