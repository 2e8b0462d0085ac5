// GS1-128 family: UCC/EAN-128 markers and FNC1 placement, SSCC-18, EAN-14.
#include "tests/code128_reference.h"

#include "symbologies/EAN14.h"
#include "symbologies/Gs1Syntax.h"
#include "symbologies/SSCC18.h"
#include "symbologies/UCCEAN128.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

constexpr int SB = C128_START_B, SC = C128_START_C, CB = C128_CODE_B, CC = C128_CODE_C, F1 = C128_FNC1;
const std::string FNC1(1, '\x86');

int B(char c)
{
    return static_cast<unsigned char>(c) - 32;
}

struct Case {
    int type; // 15 UCC/EAN-128, 16 SSCC-18, 12 EAN-14
    std::string data;
    bool valid;
    std::string bytes;       // m_DataBytes, FNC1 as byte 134
    std::vector<int> values; // start to last data value
    std::string text;        // with m_ShowCheckDigit on
    const char* what;
};

const std::vector<Case> Cases = {
    // UCC/EAN-128: identifiers and FNC1 placement.
    {15,
     "<AI01>12345678901231<AI10>ABC",
     true,
     FNC1 + "0112345678901231" + "10ABC",
     {SC, F1, 1, 12, 34, 56, 78, 90, 12, 31, 10, CB, B('A'), B('B'), B('C')},
     "(01)12345678901231(10)ABC",
     "01 has a predefined length: no FNC1 before 10"},
    {15,
     "<AI10>ABC<AI21>7",
     true,
     FNC1 + "10ABC" + FNC1 + "217",
     {SC, F1, 10, CB, B('A'), B('B'), B('C'), F1, B('2'), B('1'), B('7')},
     "(10)ABC(21)7",
     "10 is variable: FNC1 separates it from 21"},
    {15,
     "<AI21>A<AI22>B",
     true,
     FNC1 + "21A" + FNC1 + "22B",
     {SC, F1, 21, CB, B('A'), F1, B('2'), B('2'), B('B')},
     "(21)A(22)B",
     "21 is variable"},
    {15,
     "<AI8001>12345678901234<AI10>X",
     true,
     FNC1 + "800112345678901234" + FNC1 + "10X",
     {SC, F1, 80, 1, 12, 34, 56, 78, 90, 12, 34, F1, 10, CB, B('X')},
     "(8001)12345678901234(10)X",
     "8001 is not in the predefined table: FNC1 after it"},
    {15,
     "<AI8005>123456<AI21>Q",
     true,
     FNC1 + "8005123456" + FNC1 + "21Q",
     {SC, F1, 80, 5, 12, 34, 56, F1, 21, CB, B('Q')},
     "(8005)123456(21)Q",
     "8005 needs FNC1 after its data"},
    {15,
     "<AI00>106141411234567897<AI3103>001234<AI410>1234567890128<AI17>991231<AI10>L1",
     true,
     FNC1 + "00106141411234567897" + "3103001234" + "4101234567890128" + "17991231" + "10L1",
     {SC, F1, 0,  10, 61, 41, 41, 12, 34, 56, 78, 97, 31, 3,  0,      12,    34,
      41, 1,  23, 45, 67, 89, 1,  28, 17, 99, 12, 31, 10, CB, B('L'), B('1')},
     "(00)106141411234567897(3103)001234(410)1234567890128(17)991231(10)L1",
     "00, 31xx, 41x and 17 need no FNC1 after them"},
    {15,
     "<AI01234>9",
     true,
     FNC1 + "012349",
     {SC, F1, 1, 23, 49},
     "(01234)9",
     "five digits, matched by the first two"},
    {15, "<AI10>", true, FNC1 + "10", {SC, F1, 10}, "(10)", "a marker alone"},
    {15,
     "<FNC1><AI01>12345678901231",
     true,
     FNC1 + "0112345678901231",
     {SC, F1, 1, 12, 34, 56, 78, 90, 12, 31},
     "(01)12345678901231",
     "a typed FNC1 is not doubled"},
    {15,
     "<AI10>A<FNC1><AI21>B",
     true,
     FNC1 + "10A" + FNC1 + "21B",
     {SC, F1, 10, CB, B('A'), F1, B('2'), B('1'), B('B')},
     "(10)A(21)B",
     "nor is a typed separator"},
    {15,
     "1234<FNC1>5678",
     true,
     "1234" + FNC1 + "5678",
     {SC, 12, 34, F1, 56, 78},
     "12345678",
     "FNC1 inside a digit run stays in set C"},
    {15,
     "123<FNC1>45",
     true,
     "123" + FNC1 + "45",
     {SC, 12, CB, B('3'), F1, B('4'), B('5')},
     "12345",
     "after an odd digit FNC1 is encoded in set B"},
    {15,
     "ABC123",
     true,
     "ABC123",
     {SB, B('A'), B('B'), B('C'), B('1'), B('2'), B('3')},
     "ABC123",
     "no marker: plain Code 128, no FNC1"},
    {15, "X12345678", true, "X12345678", {SB, B('X'), CC, 12, 34, 56, 78}, "X12345678", "auto sets"},
    // Malformed markers are ordinary text.
    {15,
     "<AI1>x",
     true,
     "<AI1>x",
     {SB, B('<'), B('A'), B('I'), B('1'), B('>'), B('x')},
     "<AI1>x",
     "one digit"},
    {15,
     "<AI123456>",
     true,
     "<AI123456>",
     {SB, B('<'), B('A'), B('I'), CC, 12, 34, 56, CB, B('>')},
     "<AI123456>",
     "six digits"},
    {15, "<AI12", true, "<AI12", {SB, B('<'), B('A'), B('I'), B('1'), B('2')}, "<AI12", "ends inside"},
    {15, "<AI", true, "<AI", {SB, B('<'), B('A'), B('I')}, "<AI", "ends after the opening"},
    {15,
     "<AI1x>",
     true,
     "<AI1x>",
     {SB, B('<'), B('A'), B('I'), B('1'), B('x'), B('>')},
     "<AI1x>",
     "non-digit"},
    {15,
     "<AI1<AI10>x",
     true,
     "<AI1" + FNC1 + "10x",
     {SB, B('<'), B('A'), B('I'), B('1'), F1, B('1'), B('0'), B('x')},
     "<AI1(10)x",
     "a broken marker does not swallow the next one"},
    {15, "<FNC", true, "<FNC", {SB, B('<'), B('F'), B('N'), B('C')}, "<FNC", "partial FNC1 marker"},
    // UCC/EAN-128 rejects.
    {15, "", false, "", {}, "", "empty"},
    {15, "<AI10>\x1f", false, "", {}, "", "control character"},
    {15, "<AI10>\x87", false, "", {}, "", "byte above 134"},
    {15,
     "<AI10>\x83"
     "12",
     false,
     "",
     {},
     "",
     "CODE C byte would desynchronise a reader"},
    // SSCC-18.
    {16,
     "0010614141123456789",
     true,
     FNC1 + "00106141411234567897",
     {SC, F1, 0, 10, 61, 41, 41, 12, 34, 56, 78, 97},
     "(00)106141411234567897",
     "GS1 example, check 7"},
    {16,
     "9910614141123456789",
     true,
     FNC1 + "00106141411234567897",
     {SC, F1, 0, 10, 61, 41, 41, 12, 34, 56, 78, 97},
     "(00)106141411234567897",
     "typed AI replaced by 00"},
    {16,
     "00106141411234567890",
     true,
     FNC1 + "00106141411234567897",
     {SC, F1, 0, 10, 61, 41, 41, 12, 34, 56, 78, 97},
     "(00)106141411234567897",
     "wrong check replaced"},
    {16, "001234567890123456", false, "", {}, "", "18 digits"},
    {16, "001061414112345678970", false, "", {}, "", "21 digits"},
    {16, "001061414112345678A", false, "", {}, "", "letter"},
    {16, "", false, "", {}, "", "empty"},
    // EAN-14: (01) and the GTIN, all in set C.
    {12,
     "1234567890123",
     true,
     FNC1 + "0112345678901231",
     {SC, F1, 1, 12, 34, 56, 78, 90, 12, 31},
     "12345678901231",
     "check digit 1"},
    {12,
     "12345678901239",
     true,
     FNC1 + "0112345678901231",
     {SC, F1, 1, 12, 34, 56, 78, 90, 12, 31},
     "12345678901231",
     "typed check digit replaced"},
    {12,
     "0061414100000",
     true,
     FNC1 + "0100614141000005",
     {SC, F1, 1, 0, 61, 41, 41, 0, 0, 5},
     "00614141000005",
     "leading zeros kept"},
    {12, "123456789012", false, "", {}, "", "12 digits"},
    {12, "123456789012345", false, "", {}, "", "15 digits"},
    {12, "123456789012A", false, "", {}, "", "letter"},
};

std::unique_ptr<CBarcodeSymCode128> Make(int type, const CBarcodeSettings& s)
{
    switch (type) {
    case 15: return std::make_unique<CBarcodeSymUCCEAN128>(s);
    case 16: return std::make_unique<CBarcodeSymSSCC18>(s);
    default: return std::make_unique<CBarcodeSymEAN14>(s);
    }
}

std::unique_ptr<CBarcodeSymCode128> Encoded(const Case& c, int charset = 0, bool showCheck = true)
{
    CBarcodeSettings s;
    s.m_Type = c.type;
    s.m_Data = c.data;
    s.m_Code128Charset = charset;
    s.m_ShowCheckDigit = showCheck;
    auto sym = Make(c.type, s);
    sym->Encode();
    return sym;
}

TEST(Gs1Encode, Cases)
{
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.what);
        auto sym = Encoded(c);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid) {
            EXPECT_TRUE(sym->m_Pattern.empty());
            continue;
        }
        EXPECT_EQ(sym->m_DataBytes, c.bytes);
        EXPECT_EQ(sym->m_DisplayText, c.text);
        std::vector<int> values = c128t::PatternToValues(sym->m_Pattern); // empty on a bad check
        ASSERT_FALSE(values.empty());
        EXPECT_EQ(values.back(), sym->m_CheckValue);
        values.pop_back();
        EXPECT_EQ(values, c.values);
        EXPECT_EQ(c128t::ValuesToBytes(c128t::PatternToValues(sym->m_Pattern)), c.bytes);
    }
}

// The charset option and the check-character flags are plain Code 128's: the GS1
// symbols ignore them, except that the modulo-10 digit may be hidden.
TEST(Gs1Encode, CharsetAndFlagsDoNotChangeTheSymbol)
{
    for (const Case& c : Cases) {
        if (!c.valid)
            continue;
        SCOPED_TRACE(c.what);
        const auto reference = Encoded(c);
        for (int charset : {1, 2, 3, 4}) {
            const auto sym = Encoded(c, charset);
            EXPECT_TRUE(sym->m_Valid);
            EXPECT_EQ(sym->m_Pattern, reference->m_Pattern) << charset;
        }
        const auto hidden = Encoded(c, 0, false);
        EXPECT_EQ(hidden->m_Pattern, reference->m_Pattern);
        const bool hasCheckDigit = c.type != 15;
        EXPECT_EQ(hidden->m_DisplayText, hasCheckDigit ? c.text.substr(0, c.text.size() - 1) : c.text);
    }
}

TEST(Gs1Encode, PredefinedLengthIdentifiers)
{
    for (int prefix = 0; prefix < 100; ++prefix) {
        const bool predefined =
            prefix <= 4 || (prefix >= 11 && prefix <= 20) || (prefix >= 31 && prefix <= 36) || prefix == 41;
        EXPECT_EQ(CBarcodeSymUCCEAN128::IsVariableLengthAI(prefix), !predefined) << prefix;
    }
    EXPECT_TRUE(CBarcodeSymUCCEAN128::IsVariableLengthAI(-1));
    EXPECT_TRUE(CBarcodeSymUCCEAN128::IsVariableLengthAI(100));
    // Every AI of the dictionary: an FNC1 after its data exactly when its length is not predefined.
    std::size_t ais = 0;
    for (const Gs1Ai& entry : Gs1AiEntries()) {
        for (int n = std::stoi(std::string(entry.first)); n <= std::stoi(std::string(entry.last));
             ++n, ++ais) {
            std::string ai = std::to_string(n);
            ai.insert(0, entry.first.size() - ai.size(), '0');
            std::string bytes;
            std::string text;
            CBarcodeSymUCCEAN128::WalkMarkers("<AI" + ai + ">1<AI90>2", bytes, text);
            EXPECT_EQ(bytes, FNC1 + ai + "1" + (entry.predefinedLength ? "" : FNC1) + "902") << ai;
        }
    }
    EXPECT_GT(ais, 400U);
}

} // namespace

namespace {

// Any text at all: either rejected, or a symbol whose values read back as the
// bytes the markers resolved to.
TEST(Gs1Encode, RandomTextsAreRejectedOrReadBack)
{
    std::mt19937 rng(15);
    const std::vector<std::string> pieces = {"<AI", "<AI10>", "<AI01>", "<AI8001>", "<FNC1>", ">",
                                             "<",   "12",     "3456",   "7",        "AB",     "x"};
    for (int round = 0; round < 2000; ++round) {
        std::string data;
        const int parts = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < parts; ++i) {
            if (rng() % 4 == 0)
                data += static_cast<char>(1 + rng() % 255);
            else
                data += pieces[rng() % pieces.size()];
        }
        for (int type : {15, 16, 12}) {
            SCOPED_TRACE(std::to_string(type) + " " + data);
            const auto sym = Encoded(Case{type, data, false, "", {}, "", ""});
            bool allCode128 = true;
            for (char ch : data)
                allCode128 = allCode128 && IsCode128Byte(static_cast<unsigned char>(ch));
            if (type == 15) {
                EXPECT_EQ(sym->m_Valid, allCode128);
            }
            if (sym->m_Valid) {
                EXPECT_EQ(c128t::ValuesToBytes(c128t::PatternToValues(sym->m_Pattern)), sym->m_DataBytes);
            } else {
                EXPECT_TRUE(sym->m_Pattern.empty());
            }
        }
    }
}

} // namespace
