#include "symbologies/Code11.h"
#include "symbologies/CharTable.h"

#include <array>

namespace kavren::detail {

namespace {

struct Code11Char {
    char character;
    std::array<std::uint8_t, 5> wide; // bar, space, bar, space, bar: 1 wide, 0 narrow
};

// USD-8 Code 11: the digits, the hyphen and the start/stop character "S".
constexpr std::array<Code11Char, 12> Code11Chars = {{
    {'0', {0, 0, 0, 0, 1}},
    {'1', {1, 0, 0, 0, 1}},
    {'2', {0, 1, 0, 0, 1}},
    {'3', {1, 1, 0, 0, 0}},
    {'4', {0, 0, 1, 0, 1}},
    {'5', {1, 0, 1, 0, 0}},
    {'6', {0, 1, 1, 0, 0}},
    {'7', {0, 0, 0, 1, 1}},
    {'8', {1, 0, 0, 1, 0}},
    {'9', {1, 0, 0, 0, 0}},
    {'-', {0, 0, 1, 0, 0}},
    {'S', {0, 0, 1, 1, 0}},
}};

constexpr char StartStop = 'S';

} // namespace

CBarcodeSymCode11::CBarcodeSymCode11(const CBarcodeSettings& settings) : CBarcodeSym(settings)
{
}

bool CBarcodeSymCode11::LookupChar(char character, int& value)
{
    value = FindCharRow(Code11Chars, character);
    return value >= 0;
}

bool CBarcodeSymCode11::Validate()
{
    m_ErrorDetail = TableTextProblem(Code11Chars, m_Data, Takes(*this, "digits, - and S"));
    return m_ErrorDetail.empty();
}

void CBarcodeSymCode11::LoadData()
{
    m_DataBytes.clear();
    m_DataBytes.reserve(m_Data.size() + 2);
    m_DataBytes += StartStop;
    m_DataBytes += m_Data;
    m_DataBytes += StartStop;
}

bool CBarcodeSymCode11::Encode()
{
    if (!Prepare())
        return false;
    AppendGappedChars(m_Pattern, m_DataBytes, [](char c) -> const std::array<std::uint8_t, 5>* {
        int value = -1;
        return LookupChar(c, value) ? &Code11Chars[static_cast<std::size_t>(value)].wide : nullptr;
    });
    return true;
}

void CBarcodeSymCode11::BuildDisplayText()
{
    m_DisplayText.clear();
    if (m_ShowStartStop)
        m_DisplayText += StartStop;
    m_DisplayText += m_Data;
    if (m_ShowStartStop)
        m_DisplayText += StartStop;
}

} // namespace kavren::detail
