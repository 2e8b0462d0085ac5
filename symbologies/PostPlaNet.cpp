#include "symbologies/PostPlaNet.h"

#include "symbologies/Digits.h"

#include <array>
#include <cstdint>
#include <limits>

namespace kavren::detail {

// USPS PostNet digit patterns, 1 = tall bar: two tall bars of five per digit.
static constexpr std::array<std::array<std::uint8_t, 5>, 10> PostalDigitBars = {{
    {1, 1, 0, 0, 0}, // 0
    {0, 0, 0, 1, 1}, // 1
    {0, 0, 1, 0, 1}, // 2
    {0, 0, 1, 1, 0}, // 3
    {0, 1, 0, 0, 1}, // 4
    {0, 1, 0, 1, 0}, // 5
    {0, 1, 1, 0, 0}, // 6
    {1, 0, 0, 0, 1}, // 7
    {1, 0, 0, 1, 0}, // 8
    {1, 0, 1, 0, 0}, // 9
}};

namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

} // namespace

int DigitSumCheckDigit(const char* text)
{
    if (text == nullptr) {
        return 0;
    }
    int sum = 0;
    for (; *text != '\0'; ++text) {
        sum = (sum + (*text - '0')) % 10;
    }
    return (10 - sum) % 10;
}

CBarcodeSymPostPlaNet::CBarcodeSymPostPlaNet(const CBarcodeSettings& settings, bool isPostNet)
    : CBarcodeSym(settings), m_IsPostNet(isPostNet)
{
}

bool CBarcodeSymPostPlaNet::Validate()
{
    m_ErrorDetail = DigitProblem(m_Data, Takes(*this, "digits"));
    return m_ErrorDetail.empty();
}

void CBarcodeSymPostPlaNet::LoadData()
{
    m_DataBytes = m_Data;
    if (m_CalcCheckDigit) {
        m_DataBytes += static_cast<char>('0' + DigitSumCheckDigit(m_Data.c_str()));
    }
}

void CBarcodeSymPostPlaNet::BuildDisplayText()
{
    m_DisplayText = m_Data;
    if (m_CalcCheckDigit && m_ShowCheckDigit) {
        m_DisplayText += static_cast<char>('0' + DigitSumCheckDigit(m_Data.c_str()));
    }
}

// Planet is PostNet with tall and short swapped; the frame bars are tall in both.
bool CBarcodeSymPostPlaNet::Encode()
{
    if (!Prepare()) {
        return false;
    }
    const std::uint8_t one = m_IsPostNet ? POSTAL_TALL : POSTAL_SHORT;
    const std::uint8_t zero = m_IsPostNet ? POSTAL_SHORT : POSTAL_TALL;
    m_Pattern.push_back(POSTAL_TALL);
    m_Pattern.push_back(POSTAL_GAP);
    for (const char c : m_DataBytes) {
        for (const std::uint8_t tall : PostalDigitBars[static_cast<std::size_t>(c - '0')]) {
            m_Pattern.push_back(tall != 0 ? one : zero);
            m_Pattern.push_back(POSTAL_GAP);
        }
    }
    m_Pattern.push_back(POSTAL_TALL);
    return true;
}

// Modules along the reading direction: one per bar or gap, and both quiet zones.
std::int64_t CBarcodeSymPostPlaNet::SymbolModules() const
{
    return static_cast<std::int64_t>(m_Pattern.size()) + 2 * std::int64_t{GetQuietZoneWidth(1)};
}

std::int32_t CBarcodeSymPostPlaNet::GetSymbolLength(int moduleWidth) const
{
    if (moduleWidth < 0) {
        return kInt32Max; // no module width fits
    }
    const std::int64_t modules = SymbolModules();
    if (moduleWidth > 0 && modules > kInt32Max / moduleWidth) {
        return kInt32Max;
    }
    return static_cast<std::int32_t>(modules * moduleWidth);
}

} // namespace kavren::detail
