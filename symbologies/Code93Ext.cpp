#include "symbologies/Code93Ext.h"

#include <string_view>

namespace kavren::detail {

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

} // namespace kavren::detail
