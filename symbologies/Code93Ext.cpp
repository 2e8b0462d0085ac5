#include "symbologies/Code93Ext.h"

#include "symbologies/Code39Ext.h"

#include <string_view>

namespace {

// AIM USS Code 93, full ASCII: the Code 39 full-ASCII table with the shift
// characters ($) (%) (/) (+) in place of the pair leaders $ % / +, except that
// "$", "%", "+" and "/" are data characters of their own in Code 93.
std::array<CBarcodeSymCode93Ext::FullAsciiRow, 128> MakeCode93FullAscii()
{
    constexpr std::string_view shiftLeaders = "$%/+";
    std::array<CBarcodeSymCode93Ext::FullAsciiRow, 128> table{};
    for (std::size_t b = 0; b < table.size(); ++b) {
        const char byte = static_cast<char>(b);
        const std::string_view characters = shiftLeaders.find(byte) != std::string_view::npos
                                                ? std::string_view(&byte, 1)
                                                : Code39FullAscii[b];
        int first = -1;
        int second = 0;
        if (characters.size() == 1) {
            CBarcodeSymCode93::LookupChar(characters[0], first);
        } else {
            first = CBarcodeSymCode93::ShiftDollar + static_cast<int>(shiftLeaders.find(characters[0]));
            CBarcodeSymCode93::LookupChar(characters[1], second);
        }
        table[b] = {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(first),
                    static_cast<std::uint8_t>(second)};
    }
    return table;
}

} // namespace

const std::array<CBarcodeSymCode93Ext::FullAsciiRow, 128>& CBarcodeSymCode93Ext::Code93FullAscii()
{
    static const auto table = MakeCode93FullAscii();
    return table;
}

CBarcodeSymCode93Ext::CBarcodeSymCode93Ext(const CBarcodeSettings& settings) : CBarcodeSymCode93(settings)
{
}

bool CBarcodeSymCode93Ext::Validate()
{
    return HasData() && IsValidFullAsciiText(m_Data);
}

void CBarcodeSymCode93Ext::LoadData()
{
    DecodeTildeEscapes(m_Data.c_str(), m_DataBytes, 0, 127);
}

bool CBarcodeSymCode93Ext::Encode()
{
    if (!Prepare())
        return false;
    const auto& table = Code93FullAscii();
    std::vector<std::uint8_t> dataValues;
    dataValues.reserve(m_DataBytes.size() * 2);
    for (char b : m_DataBytes) {
        const auto byte = static_cast<unsigned char>(b);
        if (byte >= table.size())
            continue; // unreachable: the escapes stop at 127 and raw bytes above are invalid
        dataValues.push_back(table[byte].first);
        if (table[byte].second != 0)
            dataValues.push_back(table[byte].second);
    }
    EncodeValues(dataValues);
    return true;
}

void CBarcodeSymCode93Ext::BuildDisplayText()
{
    std::string dataPart;
    BytesToText(m_DataBytes, dataPart, m_ConvertNonPrinting);
    ComposeDisplayText(dataPart);
}
