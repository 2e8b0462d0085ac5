#include "symbologies/Code39.h"
#include "symbologies/CharTable.h"

#include <array>

namespace kavren::detail {

namespace {

constexpr std::uint8_t StartStopValue = 43;
constexpr std::uint8_t NoValue = 255;
constexpr int CheckModulus = 43;

struct Code39Char {
    char character;                   // 0 for start/stop, which no text character matches
    std::array<std::uint8_t, 9> wide; // bar, space, bar, ... : 1 wide, 0 narrow
};

// ISO/IEC 16388, Table 1: the 43 data characters in value order, then start/stop.
constexpr std::array<Code39Char, 44> Code39Chars = {{
    {'0', {0, 0, 0, 1, 1, 0, 1, 0, 0}}, {'1', {1, 0, 0, 1, 0, 0, 0, 0, 1}},
    {'2', {0, 0, 1, 1, 0, 0, 0, 0, 1}}, {'3', {1, 0, 1, 1, 0, 0, 0, 0, 0}},
    {'4', {0, 0, 0, 1, 1, 0, 0, 0, 1}}, {'5', {1, 0, 0, 1, 1, 0, 0, 0, 0}},
    {'6', {0, 0, 1, 1, 1, 0, 0, 0, 0}}, {'7', {0, 0, 0, 1, 0, 0, 1, 0, 1}},
    {'8', {1, 0, 0, 1, 0, 0, 1, 0, 0}}, {'9', {0, 0, 1, 1, 0, 0, 1, 0, 0}},
    {'A', {1, 0, 0, 0, 0, 1, 0, 0, 1}}, {'B', {0, 0, 1, 0, 0, 1, 0, 0, 1}},
    {'C', {1, 0, 1, 0, 0, 1, 0, 0, 0}}, {'D', {0, 0, 0, 0, 1, 1, 0, 0, 1}},
    {'E', {1, 0, 0, 0, 1, 1, 0, 0, 0}}, {'F', {0, 0, 1, 0, 1, 1, 0, 0, 0}},
    {'G', {0, 0, 0, 0, 0, 1, 1, 0, 1}}, {'H', {1, 0, 0, 0, 0, 1, 1, 0, 0}},
    {'I', {0, 0, 1, 0, 0, 1, 1, 0, 0}}, {'J', {0, 0, 0, 0, 1, 1, 1, 0, 0}},
    {'K', {1, 0, 0, 0, 0, 0, 0, 1, 1}}, {'L', {0, 0, 1, 0, 0, 0, 0, 1, 1}},
    {'M', {1, 0, 1, 0, 0, 0, 0, 1, 0}}, {'N', {0, 0, 0, 0, 1, 0, 0, 1, 1}},
    {'O', {1, 0, 0, 0, 1, 0, 0, 1, 0}}, {'P', {0, 0, 1, 0, 1, 0, 0, 1, 0}},
    {'Q', {0, 0, 0, 0, 0, 0, 1, 1, 1}}, {'R', {1, 0, 0, 0, 0, 0, 1, 1, 0}},
    {'S', {0, 0, 1, 0, 0, 0, 1, 1, 0}}, {'T', {0, 0, 0, 0, 1, 0, 1, 1, 0}},
    {'U', {1, 1, 0, 0, 0, 0, 0, 0, 1}}, {'V', {0, 1, 1, 0, 0, 0, 0, 0, 1}},
    {'W', {1, 1, 1, 0, 0, 0, 0, 0, 0}}, {'X', {0, 1, 0, 0, 1, 0, 0, 0, 1}},
    {'Y', {1, 1, 0, 0, 1, 0, 0, 0, 0}}, {'Z', {0, 1, 1, 0, 1, 0, 0, 0, 0}},
    {'-', {0, 1, 0, 0, 0, 0, 1, 0, 1}}, {'.', {1, 1, 0, 0, 0, 0, 1, 0, 0}},
    {' ', {0, 1, 1, 0, 0, 0, 1, 0, 0}}, {'$', {0, 1, 0, 1, 0, 1, 0, 0, 0}},
    {'/', {0, 1, 0, 1, 0, 0, 0, 1, 0}}, {'+', {0, 1, 0, 0, 0, 1, 0, 1, 0}},
    {'%', {0, 0, 0, 1, 0, 1, 0, 1, 0}}, {0, {0, 1, 0, 0, 1, 0, 1, 0, 0}},
}};

} // namespace

CBarcodeSymCode39::CBarcodeSymCode39(const CBarcodeSettings& settings) : CBarcodeSym(settings)
{
}

bool CBarcodeSymCode39::LookupChar(char character, std::uint8_t& value)
{
    const int row = FindCharRow(Code39Chars, character, StartStopValue);
    value = row < 0 ? NoValue : static_cast<std::uint8_t>(row);
    return row >= 0;
}

bool CBarcodeSymCode39::TextToValues(const std::string& characters, std::vector<std::uint8_t>& values)
{
    for (char c : characters) {
        std::uint8_t value = NoValue;
        if (!LookupChar(c, value))
            return false;
        values.push_back(value);
    }
    return true;
}

int CBarcodeSymCode39::CalcCheckValue(const std::vector<std::uint8_t>& values)
{
    int sum = 0; // kept reduced so that no length of data can overflow it
    for (std::uint8_t v : values)
        sum = (sum + v) % CheckModulus;
    return sum;
}

bool CBarcodeSymCode39::Validate()
{
    m_ErrorDetail = TableTextProblem(Code39Chars, m_Data, Takes(*this, "0-9, A-Z, space and - . $ / + %"),
                                     StartStopValue);
    return m_ErrorDetail.empty();
}

void CBarcodeSymCode39::AppendChar(std::uint8_t value)
{
    bool bar = true;
    AppendTwoWidthChar(m_Pattern, Code39Chars[value].wide, bar);
}

bool CBarcodeSymCode39::BuildPattern(const std::vector<std::uint8_t>& values)
{
    for (std::uint8_t v : values) {
        AppendChar(v);
        m_Pattern.push_back(SPACE1); // intercharacter gap
    }
    if (!m_Pattern.empty())
        m_Pattern.pop_back(); // no gap after the stop character
    return true;
}

bool CBarcodeSymCode39::EncodeCharacters(const std::string& characters)
{
    std::vector<std::uint8_t> values;
    values.reserve(characters.size() + 3);
    values.push_back(StartStopValue);
    if (!TextToValues(characters, values))
        return false;
    if (m_CalcCheckDigit) {
        // The start value 43 is 0 modulo 43, so this is the sum of the data values.
        m_CheckValue = static_cast<std::uint8_t>(CalcCheckValue(values));
        values.push_back(m_CheckValue);
    }
    values.push_back(StartStopValue);
    BuildPattern(values);
    BuildDisplayText();
    return true;
}

bool CBarcodeSymCode39::Encode()
{
    return Prepare() && EncodeCharacters(m_DataBytes);
}

void CBarcodeSymCode39::ComposeDisplayText(const std::string& dataPart)
{
    m_DisplayText.clear();
    // ISO/IEC 16388, 4.3: the human-readable interpretation leaves out the
    // start/stop and the check character; m_Compliant draws it so.
    const bool showStartStop = m_ShowStartStop && !m_Compliant;
    if (showStartStop)
        m_DisplayText += '*';
    m_DisplayText += dataPart;
    if (m_CalcCheckDigit && m_ShowCheckDigit && !m_Compliant)
        m_DisplayText += Code39Chars[m_CheckValue % StartStopValue].character;
    if (showStartStop)
        m_DisplayText += '*';
}

void CBarcodeSymCode39::BuildDisplayText()
{
    ComposeDisplayText(m_Data);
}

} // namespace kavren::detail
