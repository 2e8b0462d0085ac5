#include "symbologies/Digits.h"

#include "engine/BarcodeSym.h"
#include "symbologies/Symbologies.h"

#include <algorithm>

namespace kavren::detail {

bool IsDigitText(std::string_view text, std::size_t length, std::size_t altLength)
{
    return (text.size() == length || text.size() == altLength) && IsDigitText(text);
}

int Gs1CheckDigit(std::string_view digits)
{
    // Reduced at every step so that no length can overflow.
    int sum = 0;
    int weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        sum = (sum + (*it - '0') * weight) % 10;
        weight = 4 - weight;
    }
    return (10 - sum) % 10;
}

std::string Takes(const CBarcodeSym& sym, std::string_view what)
{
    const SymbologyRow* row = FindSymbology(sym.m_Type);
    return std::string(row ? row->name : std::string_view("the symbology")) + " takes " + std::string(what);
}

namespace {

// The length of the UTF-8 sequence that starts with the byte, checking its
// continuation bytes; 0 when it starts none (RFC 3629).
std::size_t Utf8Length(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xf0 && lead <= 0xf4 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
    if (lead >= 0xf5 || length == 0 || at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xc0) != 0x80)
            return 0;
    return length;
}

} // namespace

std::string CharacterAt(std::string_view text, std::size_t at)
{
    const std::string position = " at position " + std::to_string(at + 1);
    if (text.substr(at, 3) == "\xef\xbb\xbf")
        return "a byte-order mark" + position;
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x20 && byte < 0x7f)
        return std::string("'") + text[at] + "'" + position;
    if (const std::size_t length = Utf8Length(text, at); length > 0)
        return std::string("'").append(text.substr(at, length)).append("'").append(position);
    static constexpr char Hex[] = "0123456789abcdef";
    return std::string("byte \\x") + Hex[byte >> 4] + Hex[byte & 15] + position;
}

std::string DigitProblem(std::string_view text, std::string_view takes)
{
    return DigitProblem(text, text.size(), text.size(), takes);
}

std::string DigitProblem(std::string_view text, std::size_t length, std::size_t altLength,
                         std::string_view takes)
{
    const auto other = std::find_if(text.begin(), text.end(), [](char c) { return !IsDigit(c); });
    if (other != text.end())
        return CharacterAt(text, static_cast<std::size_t>(other - text.begin())) + ": " + std::string(takes);
    if (text.empty())
        return "no data: " + std::string(takes);
    if (text.size() != length && text.size() != altLength)
        return std::to_string(text.size()) + " digits: " + std::string(takes);
    return {};
}

} // namespace kavren::detail
