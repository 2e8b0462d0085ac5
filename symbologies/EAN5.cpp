#include "symbologies/EAN5.h"

#include "symbologies/UPCE.h"

namespace kavren::detail {

int AddOnChecksum(const std::string& text)
{
    // From the right: odd places weigh 3, even places 9.
    int sum = 0;
    int place = 1;
    for (auto it = text.rbegin(); it != text.rend(); ++it, ++place)
        sum = (sum + (*it - '0') * (place % 2 == 1 ? 3 : 9)) % 10;
    return (sum + 10) % 10;
}

CBarcodeSymEAN5::CBarcodeSymEAN5(const CBarcodeSettings& settings) : CBarcodeSym(settings)
{
}

bool CBarcodeSymEAN5::Validate()
{
    m_ErrorDetail = DigitProblem(m_Data, 5, 5, Takes(*this, "5 digits"));
    return m_ErrorDetail.empty();
}

void EncodeEan5(std::vector<std::uint8_t>& pattern, const std::string& digits)
{
    // The five-digit add-on parities are columns 1..5 of the UPC-E table.
    const auto& parity = UpcEParity[static_cast<std::size_t>(AddOnChecksum(digits))];
    bool colour = false;
    AppendElements(pattern, AddOnStart);
    for (std::size_t i = 0; i < 5; ++i) {
        if (i > 0)
            AppendElements(pattern, AddOnSeparator);
        EncodeEanParityDigit(pattern, digits[i] - '0', parity[i + 1] != 0, colour);
    }
}

bool CBarcodeSymEAN5::Encode()
{
    if (!Prepare())
        return false;
    EncodeEan5(m_Pattern, m_DataBytes);
    return true;
}

} // namespace kavren::detail
