// MSI encoding: the modulo-10 check digit over texts of any length, the bit
// patterns of the digits, and the display text.
#include "engine/Barcode.h"
#include "symbologies/MSI.h"
#include "symbologies/Symbologies.h"
#include "tests/numeric_support.h"

#include <gtest/gtest.h>

#include <string>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

struct Case {
    const char* data;
    bool calc, show, valid;
    const char* bytes;
    const char* text;
};

const Case kCases[] = {
    {"1234567", true, true, true, "12345674", "12345674"}, // N = 1357, 2N = 2714, 12 + 14 = 26 -> 4
    {"1234567", true, false, true, "12345674", "1234567"}, // hidden, still encoded
    {"1234567", false, true, true, "1234567", "1234567"},  // nothing without calculation
    {"0", true, true, true, "00", "00"},
    {"5", true, true, true, "59", "59"},                           // 2x5 = 10, digit sum 1 -> 9
    {"19", true, true, true, "190", "190"},                        // 1 + (1 + 8) = 10 -> 0, never 10
    {"9876543210", false, true, true, "9876543210", "9876543210"}, // every digit's bits
    {"", true, true, false, "", ""},
    {"12 3", true, true, false, "", ""},
    {"+1", true, true, false, "", ""},
};

// The check digit exactly as the rule is worded: the odd-position digits from
// the right form a number N, 2N is worked out as written arithmetic with
// carries, and its digit sum joins the even-position digits.
int CheckDigitByDoubling(const std::string& data)
{
    std::string n;
    int sum = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if ((data.size() - i) % 2 == 1)
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
    return (10 - (sum + carry) % 10) % 10;
}

} // namespace

TEST(MsiEncode, TableOfWorkedExamples)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string("'") + c.data + "' calc " + std::to_string(c.calc) + " show " +
                     std::to_string(c.show));
        CBarcodeSettings s;
        s.m_Type = 6;
        s.m_Data = c.data;
        s.m_CalcCheckDigit = c.calc;
        s.m_ShowCheckDigit = c.show;
        auto sym = CreateBarcodeSym(s);
        EXPECT_EQ(sym->m_Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(sym->m_DataBytes, c.bytes);
        EXPECT_EQ(sym->m_DisplayText, c.text);
        EXPECT_EQ(sym->m_Pattern.size(), 2 + 8 * std::string(c.bytes).size() + 3);
        EXPECT_EQ(kt::Widths(sym->m_Pattern), kt::MsiWidths(c.bytes));
    }
    // The expectation spelled out: start wn, 1 = 0001 as nw nw nw wn, stop nwn.
    EXPECT_EQ(kt::MsiWidths("1"), "wnnwnwnwwnnwn");
}

// Texts far longer than any integer type holds as a number, including runs of
// nines whose double carries all the way through.
TEST(MsiEncode, CheckDigitOfLongTexts)
{
    std::uint32_t seed = 12345;
    for (const std::size_t length : {1U, 2U, 19U, 20U, 21U, 40U, 41U, 1001U, 20000U}) {
        std::string random;
        for (std::size_t i = 0; i < length; ++i) {
            seed = seed * 1103515245U + 12345U;
            random += static_cast<char>('0' + (seed >> 16) % 10);
        }
        for (const std::string& data : {random, std::string(length, '9')}) {
            CBarcodeSettings s;
            s.m_Data = data;
            EXPECT_EQ(CBarcodeSymMSI(s).MsiCheckDigit(), CheckDigitByDoubling(data)) << data.substr(0, 40);
        }
    }
}
