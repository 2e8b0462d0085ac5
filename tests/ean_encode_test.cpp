// EAN/UPC family encoders: check digits, validity, display texts and module
// patterns against the number sets of ISO/IEC 15420 written as bit strings.
#include "engine/Barcode.h"
#include "symbologies/EAN5.h"
#include "symbologies/EanUpc.h"
#include "symbologies/Symbologies.h"
#include "symbologies/UPCE.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

// Number sets A, B and C of ISO/IEC 15420 as module bit strings, 1 = bar.
const std::array<const char*, 10> SetA = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                          "0110001", "0101111", "0111011", "0110111", "0001011"};
const std::array<const char*, 10> SetB = {"0100111", "0110011", "0011011", "0100001", "0011101",
                                          "0111001", "0000101", "0010001", "0001001", "0010111"};
const std::array<const char*, 10> SetC = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                          "1001110", "1010000", "1000100", "1001000", "1110100"};

// Expands space-separated tokens into modules: A7/B7/C7 are digits of a number
// set, other tokens are copied ('g' marks a guard bar module).
std::string Expand(const std::string& tokens)
{
    std::istringstream in(tokens);
    std::string out;
    std::string token;
    while (in >> token) {
        const auto digit = [&] { return static_cast<std::size_t>(token[1] - '0'); };
        if (token.size() == 2 && token[0] == 'A')
            out += SetA[digit()];
        else if (token.size() == 2 && token[0] == 'B')
            out += SetB[digit()];
        else if (token.size() == 2 && token[0] == 'C')
            out += SetC[digit()];
        else
            out += token;
    }
    return out;
}

// The pattern as modules: '1' bar, '0' space, 'g' guard bar; '?' for a code
// the family never emits.
std::string Modules(const std::vector<std::uint8_t>& pattern)
{
    static const std::map<std::uint8_t, std::string> Widths = {
        {BAR1, "1"},    {BAR2, "11"},    {BAR3, "111"},    {BAR4, "1111"}, {SPACE1, "0"},
        {SPACE2, "00"}, {SPACE3, "000"}, {SPACE4, "0000"}, {GUARD, "g"}};
    std::string out;
    for (const std::uint8_t code : pattern) {
        const auto it = Widths.find(code);
        out += it == Widths.end() ? "?" : it->second;
    }
    return out;
}

std::unique_ptr<CBarcodeSym> Make(int type, const std::string& data, bool showCheck = true)
{
    CBarcodeSettings s;
    s.m_Type = type;
    s.m_Data = data;
    s.m_ShowCheckDigit = showCheck;
    return CreateBarcodeSym(s);
}

const char* const Guard = "g0g";
const char* const Centre = "0g0g0";

struct Row {
    const char* note;
    int type;
    const char* data;
    bool showCheck;
    bool valid;
    const char* text;     // display text (valid rows)
    std::size_t elements; // pattern elements (valid rows)
    std::string modules;  // expected modules (valid rows)
};

std::vector<Row> Rows()
{
    const std::string g = Guard, c = Centre;
    const std::string upceEnd = "0g0g0g0";
    return {
        // EAN-13
        {"worked example, check digit 7; 5 -> ABBAAB", 11, "590123412345", true, true, "5901234123457", 59,
         g + Expand("A9 B0 B1 A2 A3 B4") + c + Expand("C1 C2 C3 C4 C5 C7") + g},
        {"13th digit replaced by the computed one", 11, "5901234123450", true, true, "5901234123457", 59,
         g + Expand("A9 B0 B1 A2 A3 B4") + c + Expand("C1 C2 C3 C4 C5 C7") + g},
        {"check digit hidden from the text, still in the bars", 11, "590123412345", false, true,
         "590123412345", 59, g + Expand("A9 B0 B1 A2 A3 B4") + c + Expand("C1 C2 C3 C4 C5 C7") + g},
        {"leading 0: all odd parity", 11, "012345678901", true, true, "0123456789012", 59,
         g + Expand("A1 A2 A3 A4 A5 A6") + c + Expand("C7 C8 C9 C0 C1 C2") + g},
        {"leading 1: AABABB", 11, "123456789012", true, true, "1234567890128", 59,
         g + Expand("A2 A3 B4 A5 B6 B7") + c + Expand("C8 C9 C0 C1 C2 C8") + g},
        {"11 digits", 11, "59012341234", true, false, "", 0, ""},
        {"14 digits", 11, "59012341234570", true, false, "", 0, ""},
        {"empty", 11, "", true, false, "", 0, ""},
        {"letter", 11, "59012341234a", true, false, "", 0, ""},
        {"space", 11, "590123 12345", true, false, "", 0, ""},
        {"sign", 11, "+59012341234", true, false, "", 0, ""},
        {"minus", 11, "-59012341234", true, false, "", 0, ""},
        // EAN-8
        {"worked example, check digit 4", 10, "9638507", true, true, "96385074", 43,
         g + Expand("A9 A6 A3 A8") + c + Expand("C5 C0 C7 C4") + g},
        {"8th digit replaced", 10, "96385079", true, true, "96385074", 43,
         g + Expand("A9 A6 A3 A8") + c + Expand("C5 C0 C7 C4") + g},
        {"check digit hidden", 10, "9638507", false, true, "9638507", 43,
         g + Expand("A9 A6 A3 A8") + c + Expand("C5 C0 C7 C4") + g},
        {"6 digits", 10, "963850", true, false, "", 0, ""},
        {"9 digits", 10, "963850745", true, false, "", 0, ""},
        // UPC-A
        {"worked example, check digit 2", 13, "03600029145", true, true, "036000291452", 59,
         g + Expand("A0 A3 A6 A0 A0 A0") + c + Expand("C2 C9 C1 C4 C5 C2") + g},
        {"12th digit replaced", 13, "036000291450", true, true, "036000291452", 59,
         g + Expand("A0 A3 A6 A0 A0 A0") + c + Expand("C2 C9 C1 C4 C5 C2") + g},
        {"check digit hidden: 11 digits", 13, "03600029145", false, true, "03600029145", 59,
         g + Expand("A0 A3 A6 A0 A0 A0") + c + Expand("C2 C9 C1 C4 C5 C2") + g},
        {"10 digits", 13, "0360002914", true, false, "", 0, ""},
        {"13-digit EAN rejected, not shortened", 13, "0036000291452", true, false, "", 0, ""},
        // UPC-E
        {"rule 1, check 4: parities EOEEOO", 14, "04210000526", true, true, "04252614", 34,
         g + Expand("B4 A2 B5 B2 A6 A1") + upceEnd},
        {"rule 1 with a 12th digit", 14, "042100005260", true, true, "04252614", 34,
         g + Expand("B4 A2 B5 B2 A6 A1") + upceEnd},
        {"check digit hidden: bars unchanged", 14, "04210000526", false, true, "0425261", 34,
         g + Expand("B4 A2 B5 B2 A6 A1") + upceEnd},
        {"rule 2, check 1", 14, "01230000045", true, true, "01234531", 34,
         g + Expand("B1 B2 A3 B4 A5 A3") + upceEnd},
        {"rule 3, check 3", 14, "01234000005", true, true, "01234543", 34,
         g + Expand("B1 B2 A3 A4 A5 B4") + upceEnd},
        {"rule 4, check 2", 14, "01234500007", true, true, "01234572", 34,
         g + Expand("B1 B2 A3 A4 B5 A7") + upceEnd},
        {"rule 1 wins over rules 3 and 4", 14, "01200000005", true, true, "01200508", 34,
         g + Expand("B1 A2 B0 A0 A5 B0") + upceEnd},
        {"number system 1: row 1 inverted", 14, "14210000526", true, true, "14252611", 34,
         g + Expand("A4 A2 B5 A2 B6 B1") + upceEnd},
        {"no rule compresses", 14, "01234512345", true, false, "", 0, ""},
        {"number system 2 although it compresses", 14, "24210000526", true, false, "", 0, ""},
        {"number system 9", 14, "94210000526", true, false, "", 0, ""},
        {"six UPC-E digits typed in", 14, "425261", true, false, "", 0, ""},
        {"seven digits", 14, "0425261", true, false, "", 0, ""},
        {"eight digits", 14, "04252614", true, false, "", 0, ""},
        {"13 digits", 14, "0042100005264", true, false, "", 0, ""},
        // EAN-2: value mod 4 picks AA, AB, BA, BB
        {"12 -> AA", 8, "12", true, true, "12", 13, Expand("1011 A1 01 A2")},
        {"13 -> AB", 8, "13", true, true, "13", 13, Expand("1011 A1 01 B3")},
        {"14 -> BA", 8, "14", true, true, "14", 13, Expand("1011 B1 01 A4")},
        {"99 -> BB", 8, "99", true, true, "99", 13, Expand("1011 B9 01 B9")},
        {"00 -> AA", 8, "00", true, true, "00", 13, Expand("1011 A0 01 A0")},
        {"one digit", 8, "1", true, false, "", 0, ""},
        {"three digits", 8, "123", true, false, "", 0, ""},
        {"letter", 8, "1a", true, false, "", 0, ""},
        // EAN-5: checksum picks the parities, never shown
        {"checksum 1 -> BABAA", 9, "52495", true, true, "52495", 31,
         Expand("1011 B5 01 A2 01 B4 01 A9 01 A5")},
        {"checksum 0 -> BBAAA", 9, "00000", true, true, "00000", 31,
         Expand("1011 B0 01 B0 01 A0 01 A0 01 A0")},
        {"check digit flag has no effect", 9, "52495", false, true, "52495", 31,
         Expand("1011 B5 01 A2 01 B4 01 A9 01 A5")},
        {"four digits", 9, "5249", true, false, "", 0, ""},
        {"six digits", 9, "524950", true, false, "", 0, ""},
    };
}

TEST(EanUpcEncode, TableOfSymbols)
{
    for (const Row& row : Rows()) {
        SCOPED_TRACE(std::string(row.note) + " [" + row.data + "]");
        const auto sym = Make(row.type, row.data, row.showCheck);
        ASSERT_NE(sym, nullptr);
        EXPECT_EQ(sym->m_Valid, row.valid);
        EXPECT_EQ(sym->Encode(), row.valid);
        if (!row.valid)
            continue;
        EXPECT_EQ(sym->m_DisplayText, row.text);
        EXPECT_EQ(sym->m_Pattern.size(), row.elements);
        EXPECT_EQ(Modules(sym->m_Pattern), row.modules);
    }
}

// Symbol lengths in modules, quiet zones aside.
TEST(EanUpcEncode, SymbolLengthsInModules)
{
    const struct {
        int type;
        const char* data;
        std::int32_t modules;
    } rows[] = {{11, "590123412345", 95}, {13, "03600029145", 95}, {10, "9638507", 67},
                {14, "04210000526", 52},  {9, "52495", 47},        {8, "12", 20}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.type);
        auto sym = Make(row.type, row.data);
        sym->m_QuietZones = false;
        EXPECT_EQ(sym->GetSymbolLength(1), row.modules);
        EXPECT_EQ(sym->GetSymbolLength(3), 3 * row.modules);
        sym->m_QuietZones = true;
        EXPECT_EQ(sym->GetSymbolLength(2), 2 * (row.modules + 20));
    }
}

TEST(EanUpcEncode, DataBytesCarryTheComputedCheckDigit)
{
    EXPECT_EQ(Make(11, "5901234123450")->m_DataBytes, "5901234123457");
    EXPECT_EQ(Make(10, "96385070")->m_DataBytes, "96385074");
    EXPECT_EQ(Make(13, "036000291450")->m_DataBytes, "036000291452");
    EXPECT_EQ(Make(14, "042100005260")->m_DataBytes, "425261");
}

// Invalid data leaves the last good encoding in place; valid data replaces it.
TEST(EanUpcEncode, ReEncodingAfterInvalidData)
{
    for (const int type : {10, 11, 13, 14}) {
        SCOPED_TRACE(type);
        const char* good = type == 10 ? "9638507" : type == 11 ? "590123412345" : "04210000526";
        auto sym = Make(type, good);
        const auto pattern = sym->m_Pattern;
        const auto text = sym->m_DisplayText;
        const auto encode = [&](const char* data) {
            sym->m_Data = data;
            sym->Encode();
        };
        encode("12x");
        EXPECT_FALSE(sym->m_Valid);
        EXPECT_EQ(sym->m_Pattern, pattern);
        EXPECT_EQ(sym->m_DisplayText, text);
        encode(good);
        EXPECT_TRUE(sym->m_Valid);
        EXPECT_EQ(sym->m_Pattern, pattern);
    }
}

TEST(EanUpcEncode, EmbeddedNulIsRejected)
{
    for (const int type : {8, 9, 10, 11, 13, 14}) {
        SCOPED_TRACE(type);
        auto sym = Make(type, "1");
        sym->m_Data = std::string("0421000052\0", 11);
        EXPECT_FALSE(sym->Encode());
    }
}

TEST(CheckDigits, WeightedModulo10)
{
    // One function for every GS1 modulo-10 check digit: weights 3, 1, ... from the right.
    const struct {
        const char* text;
        int check;
    } rows[] = {
        {"590123412345", 7},       // EAN-13 worked example: 7
        {"9638507", 4},            // EAN-8 worked example: 4
        {"03600029145", 2},        // UPC-A worked example: 2
        {"3600029145", 2},         // a leading zero weighs nothing
        {"0000000", 0},            // a sum that is a multiple of 10 gives 0
        {"1540014128876", 3},      // ITF-14 / GTIN-14: 13 digits
        {"", 0},                   // no digits
        {"12", 3},                 // 1 weighs 1, 2 weighs 3
        {"00106141411234567", 2},  // SSCC-18 serial with extension digit 0
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Gs1CheckDigit(row.text), row.check);
    }
    EXPECT_EQ(Gs1CheckDigit(std::string(100001, '9')), 3); // 3 * 50001 * 9 + 50000 * 9: reduced, no overflow
}

TEST(DigitEncoders, ColourStateAndRange)
{
    std::vector<std::uint8_t> pattern;
    bool colour = true;
    ASSERT_TRUE(EncodeEanDigit(pattern, 0, colour)); // set C 0: bar 3, space 2, bar 1, space 1
    EXPECT_EQ(pattern, (std::vector<std::uint8_t>{BAR3, SPACE2, BAR1, SPACE1}));
    EXPECT_TRUE(colour); // four elements: the state is back where it was

    pattern.clear();
    colour = false;
    ASSERT_TRUE(EncodeEanParityDigit(pattern, 0, false, colour)); // set B 0: reversed, space first
    EXPECT_EQ(pattern, (std::vector<std::uint8_t>{SPACE1, BAR1, SPACE2, BAR3}));
    EXPECT_FALSE(colour);

    for (const int bad : {10, 99, -1, -48}) {
        pattern.clear();
        EXPECT_FALSE(EncodeEanDigit(pattern, bad, colour));
        EXPECT_FALSE(EncodeEanParityDigit(pattern, bad, true, colour));
        EXPECT_TRUE(pattern.empty());
        EXPECT_FALSE(colour);
    }
}

TEST(AddOnChecksum, WeightsThreeAndNineFromTheRight)
{
    EXPECT_EQ(AddOnChecksum("52495"), 1); // 3 x 14 + 9 x 11 = 141
    EXPECT_EQ(AddOnChecksum("00000"), 0);
    EXPECT_EQ(AddOnChecksum("12345"), 1); // 3 x 9 + 9 x 6 = 81
    EXPECT_EQ(AddOnChecksum("99999"), 3); // 3 x 27 + 9 x 18 = 243
}

// The two tables that fix where the check digit and number system ride.
TEST(UpcECompression, RulesInOrderAndCheckDigit)
{
    const struct {
        const char* upcA;
        bool ok;
        const char* six;
        int check;
    } rows[] = {
        {"04210000526", true, "425261", 4}, // rule 1: xx[0-2]0000yyy
        {"01230000045", true, "123453", 1}, // rule 2: xxx[3-9]00000yy
        {"01234000005", true, "123454", 3}, // rule 3: xxxx00000y
        {"01234500007", true, "123457", 2}, // rule 4: xxxxx0000[5-9]
        {"01200000005", true, "120050", 8}, // rules 1, 3 and 4 all fit: rule 1 wins
        {"01234500004", false, "", 1},      // rule 4 needs a last digit 5..9
        {"01234512345", false, "", 0},      // nothing compresses, check digit still set
    };
    CBarcodeSettings s;
    s.m_Type = 14;
    CBarcodeSymUPCE upce(s);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.upcA);
        std::string six;
        EXPECT_EQ(upce.CompressUpcA(row.upcA, six), row.ok);
        EXPECT_EQ(upce.m_CheckDigit, row.check);
        if (row.ok) {
            EXPECT_EQ(six, row.six);
        }
    }
}

} // namespace
