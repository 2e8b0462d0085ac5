#include "symbologies/Code93.h"

#include "symbologies/CharTable.h"

#include <array>

namespace kavren::detail {

namespace {

constexpr std::uint8_t StartValue = 47;
constexpr std::uint8_t StopValue = 48;
constexpr int CheckModulus = 47;
constexpr int MaxWeightC = 20;
constexpr int MaxWeightK = 15;

struct Code93Char {
    char character;                     // 0 for start and stop
    std::array<std::uint8_t, 6> widths; // bar, space, bar, space, bar, space in modules
};

// AIM USS Code 93, Table 1: 43 data characters, the shifts ($) (%) (/) (+), start, stop.
constexpr std::array<Code93Char, 49> Code93Chars = {{
    {'0', {1, 3, 1, 1, 1, 2}}, {'1', {1, 1, 1, 2, 1, 3}}, {'2', {1, 1, 1, 3, 1, 2}},
    {'3', {1, 1, 1, 4, 1, 1}}, {'4', {1, 2, 1, 1, 1, 3}}, {'5', {1, 2, 1, 2, 1, 2}},
    {'6', {1, 2, 1, 3, 1, 1}}, {'7', {1, 1, 1, 1, 1, 4}}, {'8', {1, 3, 1, 2, 1, 1}},
    {'9', {1, 4, 1, 1, 1, 1}}, {'A', {2, 1, 1, 1, 1, 3}}, {'B', {2, 1, 1, 2, 1, 2}},
    {'C', {2, 1, 1, 3, 1, 1}}, {'D', {2, 2, 1, 1, 1, 2}}, {'E', {2, 2, 1, 2, 1, 1}},
    {'F', {2, 3, 1, 1, 1, 1}}, {'G', {1, 1, 2, 1, 1, 3}}, {'H', {1, 1, 2, 2, 1, 2}},
    {'I', {1, 1, 2, 3, 1, 1}}, {'J', {1, 2, 2, 1, 1, 2}}, {'K', {1, 3, 2, 1, 1, 1}},
    {'L', {1, 1, 1, 1, 2, 3}}, {'M', {1, 1, 1, 2, 2, 2}}, {'N', {1, 1, 1, 3, 2, 1}},
    {'O', {1, 2, 1, 1, 2, 2}}, {'P', {1, 3, 1, 1, 2, 1}}, {'Q', {2, 1, 2, 1, 1, 2}},
    {'R', {2, 1, 2, 2, 1, 1}}, {'S', {2, 1, 1, 1, 2, 2}}, {'T', {2, 1, 1, 2, 2, 1}},
    {'U', {2, 2, 1, 1, 2, 1}}, {'V', {2, 2, 2, 1, 1, 1}}, {'W', {1, 1, 2, 1, 2, 2}},
    {'X', {1, 1, 2, 2, 2, 1}}, {'Y', {1, 2, 2, 1, 2, 1}}, {'Z', {1, 2, 3, 1, 1, 1}},
    {'-', {1, 2, 1, 1, 3, 1}}, {'.', {3, 1, 1, 1, 1, 2}}, {' ', {3, 1, 1, 2, 1, 1}},
    {'$', {3, 2, 1, 1, 1, 1}}, {'/', {1, 1, 2, 1, 3, 1}}, {'+', {1, 1, 3, 1, 2, 1}},
    {'%', {2, 1, 1, 1, 3, 1}}, {'$', {1, 2, 1, 2, 2, 1}}, {'%', {3, 1, 2, 1, 1, 1}},
    {'/', {3, 1, 1, 1, 2, 1}}, {'+', {1, 2, 2, 2, 1, 1}}, {0, {1, 1, 1, 1, 4, 1}},
    {0, {1, 1, 1, 1, 4, 1}},
}};

} // namespace

CBarcodeSymCode93::CBarcodeSymCode93(const CBarcodeSettings& settings) : CBarcodeSym(settings)
{
}

bool CBarcodeSymCode93::LookupChar(char character, int& value)
{
    value = FindCharRow(Code93Chars, character, ShiftDollar);
    return value >= 0;
}

int CBarcodeSymCode93::CalcCheckValue(const std::vector<std::uint8_t>& values, bool checkC)
{
    const int maxWeight = checkC ? MaxWeightC : MaxWeightK;
    int weight = 1;
    int sum = 0; // kept reduced so that no length of data can overflow it
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        sum = (sum + weight * *it) % CheckModulus;
        weight = weight == maxWeight ? 1 : weight + 1;
    }
    return sum;
}

bool CBarcodeSymCode93::Validate()
{
    m_ErrorDetail = TableTextProblem(Code93Chars, m_Data, Takes(*this, "0-9, A-Z, space and - . $ / + %"),
                                     ShiftDollar);
    return m_ErrorDetail.empty();
}

void CBarcodeSymCode93::AppendChar(std::uint8_t value)
{
    bool bar = true;
    AppendModuleWidths(m_Pattern, Code93Chars[value].widths, bar);
}

bool CBarcodeSymCode93::BuildPattern(const std::vector<std::uint8_t>& values)
{
    for (std::uint8_t v : values)
        AppendChar(v);
    m_Pattern.push_back(BAR1); // termination bar
    return true;
}

void CBarcodeSymCode93::EncodeValues(const std::vector<std::uint8_t>& dataValues)
{
    std::vector<std::uint8_t> values;
    values.reserve(dataValues.size() + 4);
    values.push_back(StartValue);
    values.insert(values.end(), dataValues.begin(), dataValues.end());
    // The start value 47 is 0 modulo 47: C covers the data, K the data and C.
    m_CheckC = static_cast<std::uint8_t>(CalcCheckValue(values, true));
    values.push_back(m_CheckC);
    m_CheckK = static_cast<std::uint8_t>(CalcCheckValue(values, false));
    values.push_back(m_CheckK);
    values.push_back(StopValue);
    BuildPattern(values);
    BuildDisplayText();
}

bool CBarcodeSymCode93::Encode()
{
    if (!Prepare())
        return false;
    std::vector<std::uint8_t> dataValues;
    dataValues.reserve(m_DataBytes.size());
    for (char c : m_DataBytes) {
        int value = -1;
        if (!LookupChar(c, value))
            return false;
        dataValues.push_back(static_cast<std::uint8_t>(value));
    }
    EncodeValues(dataValues);
    return true;
}

void CBarcodeSymCode93::ComposeDisplayText(const std::string& dataPart)
{
    m_DisplayText = dataPart;
    if (m_ShowCheckDigit) {
        m_DisplayText += Code93Chars[m_CheckC % CheckModulus].character;
        m_DisplayText += Code93Chars[m_CheckK % CheckModulus].character;
    }
}

void CBarcodeSymCode93::BuildDisplayText()
{
    ComposeDisplayText(m_Data);
}

} // namespace kavren::detail
