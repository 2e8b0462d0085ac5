// GS1 DataBar: what zbarimg and ZXingReader read from the program's PNG in
// every orientation, the modules against zint's (an independent generator)
// at the encodation method boundaries, and the data refused.
#include "support/TestSupport.h"

#include "symbologies/DataBar.h"
#include "symbologies/Symbologies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

struct Read {
    int type;
    const char* data;
    const char* zbar;  // zbarimg's line
    const char* zxing; // ZXingReader's text (-ispure)
};

constexpr Read kReads[] = {
    {TYPE_DATABAR, "0950110153000", "DataBar:0109501101530003", "09501101530003"},
    {TYPE_DATABAR_TRUNCATED, "09501101530003", "DataBar:0109501101530003", "09501101530003"},
    {TYPE_DATABAR_STACKED, "2401234567890", "DataBar:0124012345678905", "24012345678905"},
    {TYPE_DATABAR_STACKED_OMNI, "0950110153000", "DataBar:0109501101530003", "09501101530003"},
    // Method 0111xxx with a date, method 1 then alphanumeric, method 00 with ISO/IEC 646.
    {TYPE_DATABAR_EXPANDED, "(01)98898765432106(3202)012345(15)991231",
     "DataBar-Exp:0198898765432106320201234515991231", "(01)98898765432106(3202)012345(15)991231"},
    {TYPE_DATABAR_EXPANDED, "<AI01>00012345678905<AI10>ABC123", "DataBar-Exp:010001234567890510ABC123",
     "(01)00012345678905(10)ABC123"},
    {TYPE_DATABAR_EXPANDED_STACKED, "(10)ABCDEFGHIJ12!", "DataBar-Exp:10ABCDEFGHIJ12!", "(10)ABCDEFGHIJ12!"},
};

TEST(DataBarRead, DecodersReadEveryOrientation)
{
    const std::string out = kt::ScratchPath("databar.png");
    for (const Read& read : kReads) {
        for (const char* orientation : {"0", "90", "180", "270"}) {
            SCOPED_TRACE(std::string(read.data) + " -o " + orientation);
            const auto r =
                kt::RunKavren({"-t", std::to_string(read.type), "-o", orientation, "-d", read.data, out});
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(kt::Zbar(out), std::vector<std::string>{read.zbar});
            // "DataBar "09501101530003"": the format, then the quoted text.
            const std::vector<std::string> texts = kt::ZXingTexts(out, "-ispure");
            const std::string quoted = std::string("\"") + read.zxing + "\"";
            EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
                return t.size() >= quoted.size() && t.compare(t.size() - quoted.size(), quoted.size(), quoted) == 0;
            })) << testing::PrintToString(texts);
        }
    }
}

// The symbol's modules as rows of '0' and '1', as zint --dump writes them.
std::vector<std::string> Modules(int type, const std::string& data, int segments)
{
    kavren::Options options;
    options.symbology = static_cast<kavren::Symbology>(type);
    options.data = data;
    options.segments = segments;
    const kavren::Encoding encoding = kavren::Encode(options);
    if (!encoding)
        return {encoding.detail};
    std::vector<std::string> rows;
    std::vector<double> tops;
    for (const kavren::SymbolRowInfo& row : encoding.symbol.rows) {
        tops.push_back(row.y);
        rows.emplace_back(static_cast<std::size_t>(encoding.symbol.width), '0');
    }
    for (const kavren::ModuleRect& rect : encoding.symbol.rectangles) {
        const auto r = static_cast<std::size_t>(std::find(tops.begin(), tops.end(), rect.y) - tops.begin());
        for (auto x = static_cast<std::size_t>(rect.x); x < static_cast<std::size_t>(rect.x + rect.width);
             ++x)
            rows[r][x] = '1';
    }
    return rows;
}

std::vector<std::string> Zint(int barcode, const std::string& data, int segments)
{
    std::string command = "zint -b " + std::to_string(barcode) + " --dump";
    if (barcode != 29 && barcode != 79 && barcode != 80)
        command += " --gs1 --gs1parens --gs1nocheck";
    if (segments > 0)
        command += " --cols=" + std::to_string(segments / 2);
    std::vector<std::string> rows;
    std::string row;
    for (const char c : kt::RunCommand(command + " -d '" + data + "'").out) {
        if (c == '\n') {
            rows.push_back(row);
            row.clear();
        } else if (c != ' ') {
            const int v = std::stoi(std::string(1, c), nullptr, 16);
            for (int bit = 3; bit >= 0; --bit)
                row += (v >> bit) & 1 ? '1' : '0';
        }
    }
    return rows;
}

std::string Trimmed(std::string row)
{
    row.erase(row.find_last_not_of('0') + 1);
    return row;
}

struct Boundary {
    int type;
    const char* data;
    int segments;
};

// One row per encodation boundary of ISO/IEC 24724 7.2.5.
constexpr Boundary kBoundaries[] = {
    {TYPE_DATABAR, "0950110153000", 0},
    {TYPE_DATABAR_STACKED, "0950110153000", 0},
    {TYPE_DATABAR_STACKED_OMNI, "2401234567890", 0},
    {TYPE_DATABAR_EXPANDED, "(01)90012345678908(3103)032767", 0},           // 0100 at its largest weight
    {TYPE_DATABAR_EXPANDED, "(01)90012345678908(3103)032768", 0},           // past it: 0111000 without date
    {TYPE_DATABAR_EXPANDED, "(01)90012345678908(3202)009999", 0},           // 0101
    {TYPE_DATABAR_EXPANDED, "(01)90012345678908(3203)022767", 0},           // 0101, 3203 at its largest
    {TYPE_DATABAR_EXPANDED, "(01)90012345678908(3203)022768", 0},           // past it: 0111001
    {TYPE_DATABAR_EXPANDED, "(01)90012345678908(3100)099999(17)261231", 0}, // 0111110
    {TYPE_DATABAR_EXPANDED, "(01)90012345678908(3100)100000", 0},           // weight too large: method 1
    {TYPE_DATABAR_EXPANDED, "(01)90012345678908(3922)795", 0},              // 01100
    {TYPE_DATABAR_EXPANDED, "(01)90012345678908(3932)0401234(10)ABC", 0},   // 01101, then more data
    {TYPE_DATABAR_EXPANDED, "(01)10012345678902(3103)001750", 0},           // indicator not 9: method 1
    {TYPE_DATABAR_EXPANDED, "(10)A", 0},                                    // 00, padded to 3 characters
    {TYPE_DATABAR_EXPANDED, "(10)abc(21)1", 0},                             // FNC1 after ISO/IEC 646
    {TYPE_DATABAR_EXPANDED, "(90)12345678901234567890123456789012345678901234567890123456789012345678", 0},
    {TYPE_DATABAR_EXPANDED, "(91)ABCDEFGHIJKLMNOPQRSTUVWXYZa", 0},      // 9 finders
    {TYPE_DATABAR_EXPANDED_STACKED, "(90)1234567890123456", 4},         // a last row of 3, right to left
    {TYPE_DATABAR_EXPANDED_STACKED, "(90)123456789012345678901234", 4}, // a last row of 1: padded
    {TYPE_DATABAR_EXPANDED_STACKED, "(90)123456789012345678901234567890123456789012345678901", 2},
    {TYPE_DATABAR_EXPANDED_STACKED, "(01)00012345678905(10)ABC123", 8},
    {TYPE_DATABAR_EXPANDED_STACKED, "(01)00012345678905(10)ABCDEFGHIJKLMNOPQRST", 12},
};

int ZintBarcode(int type)
{
    switch (type) {
    case TYPE_DATABAR: return 29;
    case TYPE_DATABAR_STACKED: return 79;
    case TYPE_DATABAR_STACKED_OMNI: return 80;
    case TYPE_DATABAR_EXPANDED: return 31;
    default: return 81;
    }
}

TEST(DataBarModules, AsZintDrawsThem)
{
    for (const Boundary& b : kBoundaries) {
        SCOPED_TRACE(std::string(b.data) + " segments " + std::to_string(b.segments));
        std::vector<std::string> ours = Modules(b.type, b.data, b.segments);
        std::vector<std::string> theirs = Zint(ZintBarcode(b.type), b.data, b.segments);
        std::transform(ours.begin(), ours.end(), ours.begin(), Trimmed);
        std::transform(theirs.begin(), theirs.end(), theirs.begin(), Trimmed);
        EXPECT_EQ(ours, theirs);
    }
}

struct Refused {
    int type;
    const char* data;
    int segments;
    kavren::Status status;
    const char* detail; // a part of it
};

constexpr Refused kRefused[] = {
    {TYPE_DATABAR, "095011015300", 0, kavren::Status::InvalidText, "13 or 14 digits"},
    {TYPE_DATABAR, "095011015300A", 0, kavren::Status::InvalidText, "'A' at position 13"},
    {TYPE_DATABAR_EXPANDED, "(10)A#B", 0, kavren::Status::InvalidText, "'#' at position 2"},
    {TYPE_DATABAR_EXPANDED, "(91)ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMN", 0, kavren::Status::InvalidText,
     "holds 252"},
    {TYPE_DATABAR_EXPANDED_STACKED, "(10)A", 3, kavren::Status::InvalidArgument, "even"},
    {TYPE_DATABAR_EXPANDED_STACKED, "(10)A", 24, kavren::Status::InvalidArgument, "2 to 22"},
};

TEST(DataBarRefused, SaysWhy)
{
    for (const Refused& r : kRefused) {
        SCOPED_TRACE(r.data);
        kavren::Options options;
        options.symbology = static_cast<kavren::Symbology>(r.type);
        options.data = r.data;
        options.segments = r.segments;
        const kavren::Encoding encoding = kavren::Encode(options);
        EXPECT_EQ(encoding.status, r.status);
        EXPECT_NE(encoding.detail.find(r.detail), std::string::npos) << encoding.detail;
    }
    // Under --gs1-check a wrong 14th digit is refused; otherwise replaced.
    kavren::Options options;
    options.symbology = kavren::Symbology::DataBar;
    options.data = "09501101530004";
    EXPECT_TRUE(kavren::Encode(options));
    options.gs1Check = true;
    EXPECT_EQ(kavren::Encode(options).status, kavren::Status::InvalidText);
}

// Every value of every character group gives a distinct width pattern of
// the group's modules, none wider than allowed: the group's counts are
// exactly the patterns there are.
TEST(DataBarWidths, EveryGroupValueIsItsOwnPattern)
{
    struct Set {
        int modules, widest, count;
        bool noNarrow;
    };
    // Odd and even halves of ISO/IEC 24724 Tables 3, 4 and 14.
    constexpr Set kSets[] = {{12, 8, 161, true}, {4, 1, 1, false},    {10, 6, 80, true}, {6, 3, 10, false},
                             {8, 4, 31, true},   {8, 5, 34, false},   {6, 3, 10, true},  {10, 6, 70, false},
                             {4, 1, 1, true},    {12, 8, 126, false}, {5, 2, 4, false},  {10, 7, 84, true},
                             {12, 7, 87, false}, {5, 2, 4, true},     {4, 1, 1, false},  {13, 8, 204, true}};
    for (const Set& set : kSets) {
        SCOPED_TRACE(testing::Message() << set.modules << " modules, widest " << set.widest);
        std::set<std::vector<std::int32_t>> seen;
        for (int v = 0; v < set.count; ++v) {
            const auto widths = kavren::detail::DataBarWidths(v, set.modules, 4, set.widest, set.noNarrow);
            int sum = 0;
            for (const int w : widths) {
                EXPECT_GE(w, 1);
                EXPECT_LE(w, set.widest);
                sum += w;
            }
            EXPECT_EQ(sum, set.modules);
            if (!set.noNarrow) {
                EXPECT_NE(std::find(widths.begin(), widths.end(), 1), widths.end());
            }
            seen.insert(widths);
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(set.count));
    }
}

} // namespace
