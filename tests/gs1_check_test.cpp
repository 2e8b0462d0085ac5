// The GS1 syntax check: element strings of UCC/EAN-128 against the AI table made
// from the GS1 Barcode Syntax Dictionary, and the typed check digits of SSCC-18
// and EAN-14, each failure named by its element and rule.
#include "symbologies/EAN14.h"
#include "symbologies/Gs1Input.h"
#include "symbologies/Gs1Syntax.h"
#include "symbologies/SSCC18.h"
#include "symbologies/UCCEAN128.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

struct Case {
    int type; // 15 UCC/EAN-128, 16 SSCC-18, 12 EAN-14
    std::string data;
    std::string detail; // "" when the check passes
};

const std::vector<Case> Cases = {
    // Good element strings.
    {15, "<AI01>09506000134352<AI17>261231<AI10>ABC123", ""}, // fixed, date, variable last
    {15, "<AI10>ABC<AI21>12345", ""},                         // FNC1 after a variable-length element
    {15, "<AI11>260200<AI3103>001234", ""},                   // yymmd0: day 00 allowed
    {15, "<AI7003>2402291230", ""},                           // 29 February of a leap year, a time
    {15, "<AI8013>1987654Ad4X4bL5ttr2310c2K", ""},            // alphanumeric check pair
    {15, "<AI8030>ABcd-_9==", ""},                            // base64url with its padding
    {15, "<AI4330>001234-", ""},                              // optional component present
    {15, "<AI8001>12345678901201", ""},                       // five fixed components
    {15, "<FNC1>010950600013435210ABC", ""},                  // element strings typed without markers
    {15, "<AI8008>26123112", ""},                             // optional trailing components left out
    // Known AI.
    {15, "<AI23>X", "AI (23): unknown application identifier"},
    {15, "<AI011>X", "AI (011): unknown application identifier"},
    {15, "<FNC1>2312", "GS1: no known application identifier at \"2312\""},
    // Length.
    {15, "<AI01>0950600013435<AI17>261231", "AI (01): 13 characters, the format is N14"},
    {15, "<AI10>ABCDEFGHIJKLMNOPQRSTU", "AI (10): 21 characters, the format is X..20"},
    {15, "<AI10><AI21>X", "AI (10): 0 characters, the format is X..20"},
    {15, "<AI7011>26123112", "AI (7011): 8 characters, the format is N6 [N4]"},
    // Character sets.
    {15, "<AI01>0950600013435A", "AI (01): 'A' at position 14 is not a digit"},
    {15, "<AI10>AB~C", "AI (10): '~' at position 3 is not in the GS1 82-character set"},
    {15, "<AI8010>ab", "AI (8010): 'a' at position 1 is not in the GS1 39-character set"},
    {15, "<AI8030>A=BCDE", "AI (8030): '=' at position 2 is not in the GS1 64-character set (base64url)"},
    // Check digits.
    {15, "<AI01>12345678901234", "AI (01): check digit is 1, not 4"},
    {15, "<AI00>106141411234567890", "AI (00): check digit is 7, not 0"},
    {15, "<AI414>1234567890120", "AI (414): check digit is 8, not 0"},
    {15, "<AI8013>1987654Ad4X4bL5ttr2310c2L", "AI (8013): check characters are 2K, not 2L"},
    // Dates and times.
    {15, "<AI17>261332", "AI (17): 261332 is not a date"},
    {15, "<AI17>250229", "AI (17): 250229 is not a date"},     // not a leap year
    {15, "<AI7006>260200", "AI (7006): 260200 is not a date"}, // yymmdd: no day 00
    {15, "<AI7250>19000229", "AI (7250): 19000229 is not a date"},
    {15, "<AI7003>2602281260", "AI (7003): 1260 is not a time"},
    // Other content rules.
    {15, "<AI8001>12345678901231", "AI (8001): 3 is not 0, 1 or 9"},
    {15, "<AI4300>AB%2", "AI (4300): \"AB%2\" has a '%' without two hexadecimal digits"},
    // Separators, on the encoded bytes.
    {15, "<AI17>26123110ABC<AI21>X", "AI (10): no FNC1 between its data and AI (21)"},
    {15, "<AI10>A<FNC1><FNC1><AI21>B", "GS1: FNC1 where an application identifier is expected"},
    {15, "0109506000134352", "GS1: the data does not start with FNC1"},
    // SSCC-18 and EAN-14: a typed check digit is checked, not replaced.
    {16, "00106141411234567897", ""},
    {16, "0010614141123456789", ""},
    {16, "00106141411234567890", "AI (00): check digit is 7, not 0"},
    {16, "99106141411234567897", "AI (00): the SSCC identifier is 00, not 99"},
    {12, "12345678901231", ""},
    {12, "1234567890123", ""},
    {12, "12345678901234", "AI (01): check digit is 1, not 4"},
};

std::unique_ptr<CBarcodeSymCode128> Encoded(int type, const std::string& data, bool check)
{
    CBarcodeSettings s;
    s.m_Type = type;
    s.m_Data = data;
    s.m_Gs1Check = check;
    std::unique_ptr<CBarcodeSymCode128> sym;
    switch (type) {
    case 15: sym = std::make_unique<CBarcodeSymUCCEAN128>(s); break;
    case 16: sym = std::make_unique<CBarcodeSymSSCC18>(s); break;
    default: sym = std::make_unique<CBarcodeSymEAN14>(s); break;
    }
    sym->Encode();
    return sym;
}

TEST(Gs1Check, Cases)
{
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.data);
        const auto checked = Encoded(c.type, c.data, true);
        EXPECT_EQ(checked->m_ErrorDetail, c.detail);
        EXPECT_EQ(checked->m_Valid, c.detail.empty());
        const auto unchecked = Encoded(c.type, c.data, false);
        EXPECT_TRUE(unchecked->m_ErrorDetail.empty());
        if (c.detail.empty()) {
            // The check only judges: a passing text encodes as it does unchecked.
            EXPECT_EQ(checked->m_Pattern, unchecked->m_Pattern);
            EXPECT_EQ(checked->m_DisplayText, unchecked->m_DisplayText);
        } else {
            EXPECT_TRUE(checked->m_Pattern.empty());
        }
    }
}

// Without the check, today's behaviour: the faulty texts above still encode
// (those that Code 128 can carry), and typed check digits are replaced.
TEST(Gs1Check, OffByDefault)
{
    EXPECT_FALSE(CBarcodeSettings().m_Gs1Check);
    EXPECT_TRUE(Encoded(15, "<AI17>261332", false)->m_Valid);
    EXPECT_EQ(Encoded(16, "00106141411234567890", false)->m_DisplayText, "(00)106141411234567897");
    EXPECT_EQ(Encoded(12, "12345678901234", false)->m_DisplayText, "12345678901231");
}

// A text that is invalid before any GS1 rule is read says what the
// symbology takes, not a GS1 rule.
TEST(Gs1Check, OtherFailuresSayWhatTheSymbologyTakes)
{
    EXPECT_FALSE(Encoded(15, "\xe9", true)->m_Valid);
    EXPECT_EQ(Encoded(15, "\xe9", true)->m_ErrorDetail,
              "byte \\xe9 at position 1: UCC/EAN-128 takes ASCII from space to DEL and <AInn> markers");
    EXPECT_EQ(Encoded(16, "0012", true)->m_ErrorDetail, "4 digits: SSCC-18 takes 19 or 20 digits");
}

// Every AI of the dictionary is in the generated table, with its FNC1 flag, and
// every linter it names is either applied or knowingly left alone.
TEST(Gs1Check, TableHoldsEveryDictionaryAi)
{
    std::ifstream file(KAVREN_SOURCE_DIR "/assets/gs1/gs1-syntax-dictionary.txt");
    ASSERT_TRUE(file);
    std::size_t entries = 0;
    std::size_t ais = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] < '0' || line[0] > '9')
            continue;
        line = line.substr(0, line.find('#'));
        std::istringstream stream(line);
        std::vector<std::string> tokens;
        for (std::string token; stream >> token;)
            tokens.push_back(token);
        auto isComponent = [](const std::string& token) {
            return token.find_first_of("NXYZ") == (token[0] == '[' ? 1U : 0U);
        };
        const std::string& range = tokens[0];
        const bool predefined = !isComponent(tokens[1]) && tokens[1].find('*') != std::string::npos;
        const std::string first = range.substr(0, range.find('-'));
        const std::string last =
            range.find('-') == std::string::npos ? first : range.substr(range.find('-') + 1);
        ++entries;
        for (int n = std::stoi(first); n <= std::stoi(last); ++n, ++ais) {
            std::string ai = std::to_string(n);
            ai.insert(0, first.size() - ai.size(), '0');
            const Gs1Ai* entry = Gs1FindAi(ai);
            ASSERT_NE(entry, nullptr) << ai;
            EXPECT_EQ(entry->predefinedLength, predefined) << ai;
        }
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            if (!isComponent(tokens[i]))
                continue;
            std::istringstream names(tokens[i].substr(
                tokens[i].find(',') == std::string::npos ? tokens[i].size() : tokens[i].find(',') + 1));
            for (std::string linter; std::getline(names, linter, ',');)
                EXPECT_TRUE(Gs1IsKnownLinter(linter)) << linter;
        }
    }
    EXPECT_EQ(Gs1AiEntries().size(), entries);
    EXPECT_GT(ais, 400U);
}

// From the command line: status 6, the two usual lines and the rule, no file;
// a passing text is drawn and reads back as its element strings.
TEST(Gs1Check, CommandLine)
{
    const std::string path = kt::ScratchPath("gs1-check.png");
    const kt::RunResult failed = kt::RunKavren({"--gs1-check", "-t", "15", "-d", "<AI17>261332", path});
    EXPECT_EQ(failed.status, 6);
    EXPECT_EQ(failed.err, "kavren Version 1.5 (c) 2026 the kavren developers\n"
                          "Error: Invalid barcode text.\n"
                          "AI (17): 261332 is not a date\n");
    EXPECT_FALSE(kt::FileExists(path));

    const kt::RunResult sscc = kt::RunKavren({"-t", "16", "--gs1-check", "-d", "00106141411234567890", path});
    EXPECT_EQ(sscc.status, 6);
    EXPECT_TRUE(sscc.err.ends_with("\nAI (00): check digit is 7, not 0\n"));

    // Without the option: the same two lines, and what the symbology takes.
    const kt::RunResult plain = kt::RunKavren({"-t", "16", "-d", "0012", path});
    EXPECT_EQ(plain.err, "kavren Version 1.5 (c) 2026 the kavren developers\nError: Invalid barcode text.\n"
                         "4 digits: SSCC-18 takes 19 or 20 digits\n");

    const kt::RunResult drawn =
        kt::RunKavren({"--gs1-check", "-t", "15", "-d", "<AI01>09506000134352<AI10>ABC<AI21>7", path});
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_EQ(kt::ZXingTexts(path), std::vector<std::string>{"Code128 \"010950600013435210ABC<GS>217\""});
}

} // namespace

// GS1 data for the element-string symbologies, in markers or brackets: the
// elements read, their HRI and transmitted string (GS for FNC1), or the rule.
TEST(Gs1Input, MarkersAndBracketsReadAsElements)
{
    struct Row {
        const char* data;
        bool check;
        const char* hri;     // "" when invalid
        const char* encoded; // the element string, '|' for the separator
        const char* detail;
    };
    const Row rows[] = {
        {"(01)09501101530003(17)261231", true, "(01)09501101530003(17)261231", "010950110153000317261231", ""},
        {"<AI01>09501101530003<AI17>261231", true, "(01)09501101530003(17)261231", "010950110153000317261231", ""},
        // A variable-length element is followed by the separator unless it is last.
        {"(10)AB12(21)X9", false, "(10)AB12(21)X9", "10AB12|21X9", ""},
        {"(01)09501101530003(10)AB(17)261231", true, "(01)09501101530003(10)AB(17)261231",
         "0109501101530003" "10AB|17261231", ""},
        // "\(" is a literal '(' in the bracketed form.
        {"(10)A\\(B", false, "(10)A(B", "10A(B", ""},
        {"", false, "", "", "no GS1 data: give AIs as (01)09501101530003 or <AI01>09501101530003"},
        {"0109501101530003", false, "", "", "GS1 data must start with an AI, as (01) or <AI01>"},
        {"(99999)1", false, "", "", "GS1 data must start with an AI, as (01) or <AI01>"},
        {"(01)(17)261231", false, "", "", "AI (01): no data"},
        {"(23)123", false, "", "", "AI (23): unknown application identifier"},
        // The check digit and date rules apply only when checked.
        {"(01)09501101530004", false, "(01)09501101530004", "0109501101530004", ""},
        {"(01)09501101530004", true, "", "", "AI (01): check digit is 3, not 4"},
    };
    for (const Row& row : rows) {
        const kavren::detail::Gs1Data parsed = kavren::detail::ParseGs1(row.data, row.check);
        EXPECT_EQ(parsed.detail, row.detail) << row.data;
        if (*row.hri == '\0') {
            EXPECT_EQ(parsed.status, kavren::Status::InvalidText) << row.data;
            continue;
        }
        ASSERT_TRUE(parsed) << row.data;
        EXPECT_EQ(kavren::detail::Gs1Hri(parsed.elements), row.hri);
        EXPECT_EQ(kavren::detail::Gs1ElementString(parsed.elements, '|'), row.encoded);
    }
}
