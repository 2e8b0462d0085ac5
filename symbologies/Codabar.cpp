#include "symbologies/Codabar.h"

#include "symbologies/CharTable.h"
#include "symbologies/Digits.h"

#include <array>
#include <string_view>

namespace kavren::detail {

namespace {

struct CodabarChar {
    char character;
    std::array<std::uint8_t, 7> wide; // bar, space, bar, ... : 1 wide, 0 narrow
};

// AIM USS Codabar, Table 1: the sixteen data characters and the start/stop letters.
constexpr std::array<CodabarChar, 20> CodabarChars = {{
    {'0', {0, 0, 0, 0, 0, 1, 1}}, {'1', {0, 0, 0, 0, 1, 1, 0}}, {'2', {0, 0, 0, 1, 0, 0, 1}},
    {'3', {1, 1, 0, 0, 0, 0, 0}}, {'4', {0, 0, 1, 0, 0, 1, 0}}, {'5', {1, 0, 0, 0, 0, 1, 0}},
    {'6', {0, 1, 0, 0, 0, 0, 1}}, {'7', {0, 1, 0, 0, 1, 0, 0}}, {'8', {0, 1, 1, 0, 0, 0, 0}},
    {'9', {1, 0, 0, 1, 0, 0, 0}}, {'-', {0, 0, 0, 1, 1, 0, 0}}, {'$', {0, 0, 1, 1, 0, 0, 0}},
    {':', {1, 0, 0, 0, 1, 0, 1}}, {'/', {1, 0, 1, 0, 0, 0, 1}}, {'.', {1, 0, 1, 0, 1, 0, 0}},
    {'+', {0, 0, 1, 0, 1, 0, 1}}, {'A', {0, 0, 1, 1, 0, 1, 0}}, {'B', {0, 1, 0, 1, 0, 0, 1}},
    {'C', {0, 0, 0, 1, 0, 1, 1}}, {'D', {0, 0, 0, 1, 1, 1, 0}},
}};

// The start/stop letters as pairs of lower and upper case.
constexpr std::string_view CodabarStartStop = "aAbBcCdD";

constexpr std::size_t MinLength = 3; // start, one data character, stop

} // namespace

CBarcodeSymCodabar::CBarcodeSymCodabar(const CBarcodeSettings& settings) : CBarcodeSym(settings)
{
}

bool CBarcodeSymCodabar::IsStartStopChar(char character)
{
    return CodabarStartStop.find(character) != std::string_view::npos;
}

char CBarcodeSymCodabar::ToUpperStartStop(char character)
{
    return character >= 'a' && character <= 'd' ? static_cast<char>(character - 'a' + 'A') : character;
}

bool CBarcodeSymCodabar::LookupChar(char character, int& value)
{
    value = FindCharRow(CodabarChars, character);
    return value >= 0;
}

bool CBarcodeSymCodabar::Validate()
{
    m_ErrorDetail = Problem();
    return m_ErrorDetail.empty();
}

// Why the data is no Codabar text, for the detail line; empty when it is.
std::string CBarcodeSymCodabar::Problem() const
{
    const auto takes = [this] {
        return Takes(*this, "0-9 and - $ : / . + between a start and a stop letter A-D");
    };
    if (!HasData() || m_Data.size() < MinLength)
        return "too short (" + std::to_string(m_Data.size()) + " bytes): " + takes();
    const std::size_t last = m_Data.size() - 1;
    if (!IsStartStopChar(m_Data.front()))
        return CharacterAt(m_Data, 0) + " is no start letter: " + takes();
    if (!IsStartStopChar(m_Data.back()))
        return CharacterAt(m_Data, last) + " is no stop letter: " + takes();
    int value = -1;
    for (std::size_t i = 1; i < last; ++i) {
        if (IsStartStopChar(m_Data[i]) || !LookupChar(m_Data[i], value))
            return CharacterAt(m_Data, i) + ": " + takes();
    }
    return {};
}

void CBarcodeSymCodabar::LoadData()
{
    m_DataBytes = m_Data;
    if (!m_DataBytes.empty()) {
        m_DataBytes.front() = ToUpperStartStop(m_DataBytes.front());
        m_DataBytes.back() = ToUpperStartStop(m_DataBytes.back());
    }
}

bool CBarcodeSymCodabar::Encode()
{
    if (!Prepare())
        return false;
    AppendGappedChars(m_Pattern, m_DataBytes, [](char c) -> const std::array<std::uint8_t, 7>* {
        int value = -1;
        return LookupChar(c, value) ? &CodabarChars[static_cast<std::size_t>(value)].wide : nullptr;
    });
    return true;
}

void CBarcodeSymCodabar::BuildDisplayText()
{
    // Only reached for a valid text of three or more characters through Encode;
    // a shorter text, when called on its own, is shown as it is.
    if (m_Data.size() < 2) {
        m_DisplayText = m_Data;
        return;
    }
    if (m_ShowStartStop)
        m_DisplayText = m_Data;
    else
        m_DisplayText = m_Data.substr(1, m_Data.size() - 2);
}

} // namespace kavren::detail
