// EAN/UPC family through the whole program: the PNG it writes must be read
// back by independent decoders, in every orientation, module width, colour
// and text position; the add-ons are also measured bar by bar.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Symbol {
    const char* note;
    int type;
    const char* data;
    const char* zbarOptions; // zbar reports UPC-A/UPC-E as EAN-13 unless asked
    const char* zbar;        // "" when zbar does not read it
    const char* zxing;       // ZXingReader's "FORMAT \"text\"", "" when it does not read it
};

const Symbol Symbols[] = {
    {"EAN-13 worked example", 11, "590123412345", "", "EAN-13:5901234123457", "EAN-13 \"5901234123457\""},
    {"EAN-13, wrong 13th digit replaced", 11, "5901234123451", "", "EAN-13:5901234123457",
     "EAN-13 \"5901234123457\""},
    {"EAN-8", 10, "9638507", "", "EAN-8:96385074", "EAN-8 \"96385074\""},
    {"UPC-A as UPC-A", 13, "03600029145", "-Supca.enable", "UPC-A:036000291452", "UPC-A \"036000291452\""},
    {"UPC-E number system 0", 14, "04210000526", "-Supce.enable", "UPC-E:04252614", "UPC-E \"04252614\""},
    {"UPC-E rule 2", 14, "01230000045", "-Supce.enable", "UPC-E:01234531", "UPC-E \"01234531\""},
    {"UPC-E rule 4", 14, "01234500007", "-Supce.enable", "UPC-E:01234572", "UPC-E \"01234572\""},
    // zbar reads only number system 0 UPC-E.
    {"UPC-E number system 1", 14, "14210000526", "", "", "UPC-E \"14252611\""},
    // ZXingReader does not read add-ons on their own.
    {"EAN-2", 8, "12", "-Sean2.enable", "EAN-2:12", ""},
    {"EAN-5", 9, "52495", "-Sean5.enable", "EAN-5:52495", ""},
};

std::vector<std::string> ZbarWith(const std::string& options, const std::string& path)
{
    const std::string out = kt::RunCommand("zbarimg -q " + options + " '" + path + "'").out;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = out.find('\n', start);
        lines.push_back(out.substr(start, end - start));
        start = end == std::string::npos ? out.size() : end + 1;
    }
    return lines;
}

// One variation of the appearance per (orientation, module width) pair, so
// colours and text side are crossed with both.
struct Look {
    int orientation;
    int moduleWidth;
    bool coloured;
    bool textAbove;
    int textAlign;
};

std::vector<Look> Looks()
{
    std::vector<Look> looks;
    int i = 0;
    for (const int o : {0, 90, 180, 270})
        for (const int m : {1, 2, 3, 4}) {
            looks.push_back({o, m, i % 2 == 1, (i / 2) % 2 == 1, (i % 3) + 4});
            ++i;
        }
    return looks;
}

const char* const Ink = "1a237e";   // dark blue bars
const char* const Paper = "fff59d"; // pale yellow background
constexpr std::uint32_t InkColour = 0x7e231a;
constexpr std::uint32_t PaperColour = 0x9df5ff;

std::vector<std::string> Args(const Symbol& s, const Look& look, const std::string& path)
{
    std::vector<std::string> args = {
        "-t", std::to_string(s.type),           "-d", s.data,
        "-o", std::to_string(look.orientation), "-n", std::to_string(look.moduleWidth),
        "-p", look.textAbove ? "0" : "1",       "-l", std::to_string(look.textAlign)};
    if (look.coloured)
        args.insert(args.end(), {"-r", Ink, "-b", Paper, "-e", Ink});
    args.push_back(path);
    return args;
}

std::string Describe(const Look& look)
{
    return "orientation " + std::to_string(look.orientation) + ", module " +
           std::to_string(look.moduleWidth) + (look.coloured ? ", coloured" : "") +
           (look.textAbove ? ", text above" : ", text below") + ", text mode " +
           std::to_string(look.textAlign);
}

TEST(EanUpcRoundTrip, DecodersReadEveryLook)
{
    const std::string path = kt::ScratchPath("roundtrip.png");
    for (const Symbol& s : Symbols) {
        for (const Look& look : Looks()) {
            SCOPED_TRACE(std::string(s.note) + ": " + Describe(look));
            const kt::RunResult run = kt::RunKavren(Args(s, look, path));
            ASSERT_EQ(run.status, 0) << run.err;
            // At one pixel per module the image ends right at the 10-module quiet
            // zones, too tight a margin for zbar's edge filter; ZXing and the width
            // read-back cover that size.
            if (*s.zbar != '\0' && look.moduleWidth > 1) {
                EXPECT_EQ(ZbarWith(s.zbarOptions, path), std::vector<std::string>{s.zbar});
            }
            if (*s.zxing != '\0') {
                EXPECT_EQ(kt::ZXingTexts(path), std::vector<std::string>{s.zxing});
            }
        }
    }
}

// Without being told otherwise zbar folds UPC-A and UPC-E into EAN-13 with a
// leading 0: the same number, so the symbols are right either way.
TEST(EanUpcRoundTrip, ZbarDefaultsReportUpcAsEan13)
{
    const std::string path = kt::ScratchPath("upc.png");
    const struct {
        int type;
        const char* data;
        const char* zbar;
    } rows[] = {{13, "03600029145", "EAN-13:0036000291452"}, {14, "04210000526", "EAN-13:0042100005264"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.data);
        ASSERT_EQ(kt::RunKavren({"-t", std::to_string(row.type), "-d", row.data, path}).status, 0);
        EXPECT_EQ(kt::Zbar(path), std::vector<std::string>{row.zbar});
    }
}

// Bar and space widths along the reading direction, first bar to last.
std::string ReadWidths(const kt::Raster& r, int orientation, int moduleWidth, std::uint32_t ink,
                       std::uint32_t paper)
{
    std::vector<kt::Run> runs;
    // The middle of the cross extent lies in the bars whichever side the text is on.
    if (orientation == 0 || orientation == 180)
        runs = kt::RowRuns(r, r.height / 2, ink, paper);
    else
        runs = kt::ColumnRuns(r, r.width / 2, ink, paper);
    // Reading runs left to right or top to bottom; 90 and 180 read the other way.
    if (orientation == 90 || orientation == 180)
        std::reverse(runs.begin(), runs.end());
    return kt::ModuleString(kt::TrimToBars(runs), moduleWidth);
}

// Run lengths of a module bit string that starts with a bar.
std::string Widths(const std::string& bits)
{
    std::string out;
    for (std::size_t i = 0; i < bits.size();) {
        std::size_t j = i;
        while (j < bits.size() && bits[j] == bits[i])
            ++j;
        out += static_cast<char>('0' + (j - i));
        i = j;
    }
    return out;
}

TEST(EanUpcRoundTrip, AddOnAndUpcEWidthsReadBack)
{
    const struct {
        const char* note;
        int type;
        const char* data;
        std::string bits; // start, then digits of number sets A/B with their separators
    } rows[] = {
        {"EAN-2 12: A A", 8, "12", std::string("1011") + "0011001" + "01" + "0010011"},
        {"EAN-2 99: B B", 8, "99", std::string("1011") + "0010111" + "01" + "0010111"},
        {"EAN-5 52495: B A B A A", 9, "52495",
         std::string("1011") + "0111001" + "01" + "0010011" + "01" + "0011101" + "01" + "0001011" + "01" +
             "0110001"},
        // Guard 101, digits A4 A2 B5 A2 B6 B1, end 010101 (trailing space not visible).
        {"UPC-E number system 1", 14, "14210000526",
         std::string("101") + "0100011" + "0010011" + "0111001" + "0010011" + "0000101" + "0110011" +
             "010101"},
    };
    const std::string path = kt::ScratchPath("widths.png");
    for (const auto& row : rows) {
        for (const Look& look : Looks()) {
            SCOPED_TRACE(std::string(row.note) + ": " + Describe(look));
            Symbol s{row.note, row.type, row.data, "", "", ""};
            ASSERT_EQ(kt::RunKavren(Args(s, look, path)).status, 0);
            kt::Raster r;
            ASSERT_TRUE(kt::ReadPng(path, r));
            const std::uint32_t ink = look.coloured ? InkColour : 0;
            const std::uint32_t paper = look.coloured ? PaperColour : 0xffffff;
            EXPECT_EQ(ReadWidths(r, look.orientation, look.moduleWidth, ink, paper), Widths(row.bits));
        }
    }
}

TEST(EanUpcRoundTrip, InvalidDataWritesNoFile)
{
    const struct {
        int type;
        const char* data;
    } rows[] = {
        {11, "59012341234"},   // 11 digits
        {10, "963850"},        // 6 digits
        {13, "0036000291452"}, // EAN-13 number given to UPC-A
        {14, "24210000526"},   // number system 2
        {14, "01234512345"},   // no zero-suppression rule fits
        {14, "425261"},        // UPC-E digits typed in directly
        {8, "1a"},             // letter
        {9, ""},               // empty
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.data);
        const std::string path = kt::ScratchPath(std::string("invalid") + std::to_string(row.type) + ".png");
        const kt::RunResult run = kt::RunKavren({"-t", std::to_string(row.type), "-d", row.data, path});
        EXPECT_EQ(run.status, 6);
        EXPECT_NE(run.err.find("Error: Invalid barcode text."), std::string::npos) << run.err;
        EXPECT_FALSE(kt::FileExists(path));
    }
}

} // namespace
