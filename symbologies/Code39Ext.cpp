#include "symbologies/Code39Ext.h"

#include <cstring>

namespace kavren::detail {

// ISO/IEC 16388, Annex (full ASCII), one row per eight bytes.
const std::array<const char*, 128> Code39FullAscii = {
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G", // NUL..BEL
    "$H", "$I", "$J", "$K", "$L", "$M", "$N", "$O", // BS..SI
    "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W", // DLE..ETB
    "$X", "$Y", "$Z", "%A", "%B", "%C", "%D", "%E", // CAN..US
    " ",  "/A", "/B", "/C", "/D", "/E", "/F", "/G", // space..'
    "/H", "/I", "/J", "/K", "/L", "-",  ".",  "/O", // (../
    "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  // 0..7
    "8",  "9",  "/Z", "%F", "%G", "%H", "%I", "%J", // 8..?
    "%V", "A",  "B",  "C",  "D",  "E",  "F",  "G",  // @..G
    "H",  "I",  "J",  "K",  "L",  "M",  "N",  "O",  // H..O
    "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",  // P..W
    "X",  "Y",  "Z",  "%K", "%L", "%M", "%N", "%O", // X.._
    "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G", // `..g
    "+H", "+I", "+J", "+K", "+L", "+M", "+N", "+O", // h..o
    "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W", // p..w
    "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T", // x..DEL
};

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

void DecodeTildeEscapes(const char* text, std::string& bytes, std::uint8_t lowest, std::uint8_t highest)
{
    bytes.clear();
    if (!text)
        return;
    const std::size_t n = std::strlen(text);
    bytes.reserve(n + 10);
    std::size_t j = 0;
    while (j < n) {
        if (text[j] == '~' && j + 1 < n) {
            if (text[j + 1] == '~') {
                bytes += '~';
                j += 2;
                continue;
            }
            const int high = j + 2 < n ? HexValue(text[j + 1]) : -1;
            const int low = j + 2 < n ? HexValue(text[j + 2]) : -1;
            if (high >= 0 && low >= 0) {
                const int value = high * 16 + low;
                if (value >= lowest && value <= highest)
                    bytes += static_cast<char>(value);
                j += 3; // an escape out of range is dropped whole
                continue;
            }
        }
        bytes += text[j];
        ++j;
    }
}

std::string FullAsciiProblem(const std::string& text, const CBarcodeSym& sym)
{
    const auto takes = [&sym] { return Takes(sym, "ASCII 32..127 and ~hh escapes"); };
    if (text.empty())
        return "no data: " + takes();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 32 || byte > 127)
            return CharacterAt(text, i) + ": " + takes();
    }
    std::string bytes;
    DecodeTildeEscapes(text.c_str(), bytes, 0, 127);
    if (bytes.empty())
        return "no character is left after the ~ escapes: " + takes();
    return {};
}

bool CBarcodeSymCode39Ext::Encode()
{
    if (!Prepare())
        return false;
    std::string characters;
    characters.reserve(m_DataBytes.size() * 2);
    for (char b : m_DataBytes) {
        const auto byte = static_cast<unsigned char>(b);
        if (byte < Code39FullAscii.size())
            characters += Code39FullAscii[byte];
    }
    return EncodeCharacters(characters);
}

} // namespace kavren::detail
