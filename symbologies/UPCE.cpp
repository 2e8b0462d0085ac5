#include "symbologies/UPCE.h"

namespace kavren::detail {

namespace {

// End pattern of UPC-E: the normal guard's 3 modules plus a centre-guard-like
// 010101 (ISO/IEC 15420), as space, guard bar, ... and one trailing space.
static constexpr std::array<std::uint8_t, 7> UpcEEndPattern = {SPACE1, GUARD, SPACE1, GUARD,
                                                               SPACE1, GUARD, SPACE1};

bool Equals(const std::string& text, std::size_t pos, const char* expected)
{
    return text.compare(pos, std::char_traits<char>::length(expected), expected) == 0;
}

bool IsBetween(char c, char low, char high)
{
    return c >= low && c <= high;
}

} // namespace

CBarcodeSymUPCE::CBarcodeSymUPCE(const CBarcodeSettings& settings) : CBarcodeSymEanUpc(settings)
{
}

bool CBarcodeSymUPCE::CompressUpcA(const std::string& upcA, std::string& sixDigits)
{
    m_CheckDigit = static_cast<std::uint8_t>(Gs1CheckDigit(std::string_view(upcA).substr(0, 11)));
    if (upcA.size() < 11)
        return false;
    // 0 is the number system, 1..5 the manufacturer number, 6..10 the product
    // number; the first zero-suppression rule that fits wins (ISO/IEC 15420, UPC-E zero suppression).
    const std::string& s = upcA;
    if (Equals(s, 4, "0000") && IsBetween(s[3], '0', '2'))
        sixDigits = {s[1], s[2], s[8], s[9], s[10], s[3]};
    else if (Equals(s, 4, "00000") && IsBetween(s[3], '3', '9'))
        sixDigits = {s[1], s[2], s[3], s[9], s[10], '3'};
    else if (Equals(s, 5, "00000"))
        sixDigits = {s[1], s[2], s[3], s[4], s[10], '4'};
    else if (Equals(s, 6, "0000") && IsBetween(s[10], '5', '9'))
        sixDigits = {s[1], s[2], s[3], s[4], s[5], s[10]};
    else
        return false;
    return true;
}

bool CBarcodeSymUPCE::Validate()
{
    m_ErrorDetail.clear();
    m_Warning.clear();
    std::string main;
    if (!SplitAddOn(main)) {
        m_ErrorDetail = AddOnProblem();
        return false;
    }
    m_ErrorDetail = DigitProblem(main, 11, 12, Takes(*this, "the 11 or 12 digits of a UPC-A number"));
    if (!m_ErrorDetail.empty())
        return false;
    m_NumberSystem = static_cast<std::int8_t>(main[0] - '0');
    if (m_NumberSystem != 0 && m_NumberSystem != 1) {
        m_ErrorDetail = "number system " + main.substr(0, 1) + ": " + Takes(*this, "number system 0 or 1");
        return false;
    }
    std::string sixDigits;
    if (!CompressUpcA(main, sixDigits)) {
        m_ErrorDetail =
            main.substr(0, 11) + " has no zero-suppressed form: " + Takes(*this, "a UPC-A number that one");
        return false;
    }
    if (main.size() == 12 && !CheckTypedDigit(*this, main))
        return false;
    m_DataBytes = sixDigits;
    return true;
}

// Validate has already filled m_DataBytes with the six digits.
void CBarcodeSymUPCE::LoadData()
{
}

void CBarcodeSymUPCE::BuildDisplayText()
{
    m_DisplayText.assign(1, static_cast<char>('0' + m_NumberSystem));
    m_DisplayText += m_DataBytes;
    if (m_ShowCheckDigit)
        m_DisplayText.push_back(static_cast<char>('0' + m_CheckDigit));
}

bool CBarcodeSymUPCE::Encode()
{
    if (!Prepare())
        return false;
    const auto& parity = UpcEParity[m_CheckDigit];
    const bool invert = m_NumberSystem == 1;
    bool colour = false;
    AppendElements(m_Pattern, EanNormalGuard);
    for (std::size_t i = 0; i < 6; ++i)
        EncodeEanParityDigit(m_Pattern, m_DataBytes[i] - '0', (parity[i] != 0) != invert, colour);
    AppendElements(m_Pattern, UpcEEndPattern);
    EncodeAddOn();
    return true;
}

} // namespace kavren::detail
