// MSI encoding: the modulo-10 check digit over texts of any length, the bit
// patterns of the digits, and the display text.
#include "engine/Barcode.h"
#include "symbologies/MSI.h"
#include "tests/numeric_support.h"

#include <gtest/gtest.h>

#include <bitset>
#include <memory>
#include <string>

namespace {

std::unique_ptr<CBarcodeSym> Make(const std::string& data, bool calc, bool show)
{
    CBarcodeSettings s;
    s.m_Type = 6;
    s.m_Data = data;
    s.m_CalcCheckDigit = calc;
    s.m_ShowCheckDigit = show;
    return CreateBarcodeSym(s);
}

int CheckDigitOf(const std::string& data)
{
    CBarcodeSettings s;
    s.m_Data = data;
    return CBarcodeSymMSI(s).MsiCheckDigit();
}

// The check digit exactly as the rule is worded: the odd-position digits from
// the right form a number N, 2 x N is worked out digit by digit as written
// arithmetic, and its digit sum joins the even-position digits.
int CheckDigitByDoubling(const std::string& data)
{
    std::string n;
    int sum = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const bool odd = (data.size() - i) % 2 == 1;
        if (odd)
            n += data[i];
        else
            sum += data[i] - '0';
    }
    int carry = 0;
    for (auto it = n.rbegin(); it != n.rend(); ++it) {
        const int v = 2 * (*it - '0') + carry;
        sum += v % 10;
        carry = v / 10;
    }
    sum += carry;
    return (10 - sum % 10) % 10;
}

// Start wn, stop nwn; a 1 bit is a wide bar and a narrow space, a 0 bit the opposite.
std::string ExpectedWidths(const std::string& digits)
{
    std::string s = "wn";
    for (const char c : digits) {
        const std::string bits = std::bitset<4>(static_cast<unsigned>(c - '0')).to_string();
        for (const char bit : bits)
            s += bit == '1' ? "wn" : "nw";
    }
    return s + "nwn";
}

struct Case {
    const char* data;
    bool calc;
    bool show;
    bool valid;
    const char* bytes;
    const char* text;
};

const Case kCases[] = {
    // N = 1357, 2N = 2714, 2+4+6 + 2+7+1+4 = 26 -> 4.
    {"1234567", true, true, true, "12345674", "12345674"},
    // The check digit is encoded even when hidden.
    {"1234567", true, false, true, "12345674", "1234567"},
    // Nothing is appended without calculation, whatever the show flag says.
    {"1234567", false, true, true, "1234567", "1234567"},
    {"1234567", false, false, true, "1234567", "1234567"},
    // A single digit: 0 -> 0; 5 -> 2x5 = 10, digit sum 1 -> 9.
    {"0", true, true, true, "00", "00"},
    {"5", true, true, true, "59", "59"},
    // Sum 10 gives 0, never 10: 2x9 = 18 -> 9, plus 1 -> 10.
    {"19", true, true, true, "190", "190"},
    // Digits only, at least one.
    {"", true, true, false, "", ""},
    {"12 3", true, true, false, "", ""},
    {"+1", true, true, false, "", ""},
    {"1a", true, true, false, "", ""},
};

} // namespace

TEST(MsiEncode, TableOfWorkedExamples)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string("data '") + c.data + "'" + (c.calc ? " calc" : "") +
                     (c.show ? " show" : ""));
        auto sym = Make(c.data, c.calc, c.show);
        EXPECT_EQ(sym->m_Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(sym->m_DataBytes, c.bytes);
        EXPECT_EQ(sym->m_DisplayText, c.text);
        // 2 + 8 per digit + 3 elements, the bits most significant first.
        EXPECT_EQ(sym->m_Pattern.size(), 2 + 8 * std::string(c.bytes).size() + 3);
        EXPECT_EQ(kt::Widths(sym->m_Pattern), ExpectedWidths(c.bytes));
    }
}

// Every digit in base 2 against the binary value itself.
TEST(MsiEncode, EveryDigitIsItsFourBits)
{
    for (char d = '0'; d <= '9'; ++d) {
        auto sym = Make(std::string(1, d), false, true);
        EXPECT_EQ(kt::Widths(sym->m_Pattern), ExpectedWidths(std::string(1, d))) << d;
    }
}

// Far longer texts than any integer type holds as a number, against the rule's
// own arithmetic on the whole doubled number.
TEST(MsiEncode, CheckDigitOfLongTexts)
{
    std::uint32_t seed = 12345;
    for (const std::size_t length : {1U, 2U, 9U, 10U, 19U, 20U, 21U, 39U, 40U, 41U, 100U, 1001U, 20000U}) {
        std::string data;
        for (std::size_t i = 0; i < length; ++i) {
            seed = seed * 1103515245U + 12345U;
            data += static_cast<char>('0' + (seed >> 16) % 10);
        }
        EXPECT_EQ(CheckDigitOf(data), CheckDigitByDoubling(data)) << length;
    }
    // All nines: 2N = 199...98 carries all the way through.
    for (const std::size_t length : {1U, 2U, 3U, 30U, 31U, 5000U}) {
        const std::string nines(length, '9');
        EXPECT_EQ(CheckDigitOf(nines), CheckDigitByDoubling(nines)) << length;
    }
    EXPECT_EQ(CheckDigitOf("1234567"), 4);
}
