// EAN-13, UPC-A and UPC-E with an attached two- or five-digit add-on
// (MAIN+ADDON): decoders read main and add-on together in every orientation,
// the gap and the add-on bars are measured in the picture, and every other
// text after '+' is invalid.
#include "engine/Barcode.h"
#include "support/TestSupport.h"
#include "symbologies/EanUpc.h"
#include "symbologies/Symbologies.h"

#include <gtest/gtest.h>

#include <algorithm>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

struct AddOnSymbol {
    const char* note;
    int type;
    const char* data;
    const char* addOnType; // "EAN-2" or "EAN-5", zbar's name of the add-on
    const char* addOn;
    const char* zbarMain; // zbar's line for the main symbol (asked to report UPC as UPC)
    const char* zxing;    // ZXingReader's line for main and add-on together
    int mainModules;      // the main symbol's pattern, trailing space included
    int trailingSpace;    // modules of the main pattern after its last bar
};

const AddOnSymbol Symbols[] = {
    {"EAN-13 + 5 (a book)", 11, "978030640615+51995", "EAN-5", "51995", "EAN-13:9780306406157",
     "EAN-13 \"9780306406157 51995\"", 95, 0},
    {"EAN-13 (13 digits) + 2", 11, "9780306406157+12", "EAN-2", "12", "EAN-13:9780306406157",
     "EAN-13 \"9780306406157 12\"", 95, 0},
    {"UPC-A + 2", 13, "03600029145+12", "EAN-2", "12", "UPC-A:036000291452", "UPC-A \"036000291452 12\"", 95,
     0},
    {"UPC-A + 5", 13, "03600029145+52495", "EAN-5", "52495", "UPC-A:036000291452",
     "UPC-A \"036000291452 52495\"", 95, 0},
    {"UPC-E + 5", 14, "04210000526+12345", "EAN-5", "12345", "UPC-E:04252614", "UPC-E \"04252614 12345\"", 52,
     1},
    {"UPC-E + 2", 14, "04210000526+99", "EAN-2", "99", "UPC-E:04252614", "UPC-E \"04252614 99\"", 52, 1},
};

int AddOnModules(const AddOnSymbol& s)
{
    return std::string(s.addOn).size() == 2 ? 20 : 47;
}

std::vector<std::string> Sorted(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> ZbarAddOns(const std::string& path)
{
    const std::string out =
        kt::RunCommand("zbarimg -q -Sean2.enable -Sean5.enable -Supca.enable -Supce.enable '" + path + "'")
            .out;
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < out.size();) {
        const std::size_t end = out.find('\n', start);
        lines.push_back(out.substr(start, end - start));
        start = end == std::string::npos ? out.size() : end + 1;
    }
    return Sorted(lines);
}

// zbar reports the add-on as a symbol of its own beside the main one;
// ZXingReader reports both in one result (it also reports the main symbol
// alone, from its pass that ignores add-ons).
TEST(EanAddOn, DecodersReadMainAndAddOnInEveryOrientation)
{
    const std::string path = kt::ScratchPath("addon.png");
    for (const AddOnSymbol& s : Symbols)
        for (const int orientation : {0, 90, 180, 270})
            for (const char* textBelow : {"1", "0"}) {
                SCOPED_TRACE(std::string(s.note) + ", orientation " + std::to_string(orientation) + ", -p " +
                             textBelow);
                const kt::RunResult run = kt::RunKavren({"-t", std::to_string(s.type), "-d", s.data, "-o",
                                                         std::to_string(orientation), "-p", textBelow, path});
                ASSERT_EQ(run.status, 0) << run.err;
                EXPECT_EQ(ZbarAddOns(path), Sorted({s.zbarMain, std::string(s.addOnType) + ":" + s.addOn}));
                const std::vector<std::string> zxing = kt::ZXingTexts(path);
                EXPECT_NE(std::find(zxing.begin(), zxing.end(), s.zxing), zxing.end())
                    << ::testing::PrintToString(zxing);
            }
}

// Dark runs along the middle row, first bar to last.
std::vector<kt::Run> MiddleRowBars(const kt::Raster& r)
{
    return kt::TrimToBars(kt::RowRuns(r, r.height / 2));
}

// The dark run of column x that covers the middle row: its first and last row + 1.
std::pair<int, int> BarSpan(const kt::Raster& r, int x)
{
    int top = r.height / 2;
    int bottom = top;
    const auto dark = [&](int y) { return (r.At(x, y) & 0xff) < 0x80; };
    while (top > 0 && dark(top - 1))
        --top;
    while (bottom < r.height && dark(bottom))
        ++bottom;
    return {top, bottom};
}

// x of the centre of the dark run `index` (0-based) of the middle row, and of the last one.
int DarkRunCentre(const kt::Raster& r, int index)
{
    const std::vector<kt::Run> runs = kt::RowRuns(r, r.height / 2);
    int x = 0;
    int dark = 0;
    int last = -1;
    for (const kt::Run& run : runs) {
        if (run.dark) {
            if (dark++ == index)
                return x + run.length / 2;
            last = x + run.length / 2;
        }
        x += run.length;
    }
    return index < 0 ? last : -1;
}

// At 0 degrees and two pixels a module: the image is quiet zone, main symbol,
// gap, add-on and quiet zone long; the add-on's bars and spaces are those of
// the add-on drawn alone; the gap is 9 modules after the main symbol's
// pattern.
TEST(EanAddOn, GapAndAddOnModulesMeasured)
{
    const std::string path = kt::ScratchPath("gap.png");
    const std::string alone = kt::ScratchPath("alone.png");
    constexpr int m = 2;
    for (const AddOnSymbol& s : Symbols) {
        SCOPED_TRACE(s.note);
        ASSERT_EQ(kt::RunKavren({"-t", std::to_string(s.type), "-d", s.data, "-n", "2", path}).status, 0);
        const std::string addOnType = std::string(s.addOn).size() == 2 ? "8" : "9";
        ASSERT_EQ(kt::RunKavren({"-t", addOnType, "-d", s.addOn, "-n", "2", alone}).status, 0);
        kt::Raster r;
        kt::Raster a;
        ASSERT_TRUE(kt::ReadPng(path, r));
        ASSERT_TRUE(kt::ReadPng(alone, a));
        EXPECT_EQ(r.width, (10 + s.mainModules + AddOnGapModules + AddOnModules(s) + 10) * m);

        const std::vector<kt::Run> all = MiddleRowBars(r);
        const std::vector<kt::Run> addOn = MiddleRowBars(a);
        ASSERT_GT(all.size(), addOn.size() + 1);
        const std::vector<kt::Run> tail(all.end() - static_cast<std::ptrdiff_t>(addOn.size()), all.end());
        EXPECT_EQ(kt::ModuleString(tail, m), kt::ModuleString(addOn, m));
        const kt::Run& gap = all[all.size() - addOn.size() - 1];
        EXPECT_FALSE(gap.dark);
        EXPECT_EQ(gap.length % m, 0);
        EXPECT_EQ(gap.length / m, AddOnGapModules + s.trailingSpace);
    }
}

// Books print the add-on with its bars ending where the main guard bars end
// and its digits above them, level with the top of the main bars; without
// text the add-on bars are as tall as the main bars; text above the bars
// mirrors it all.
TEST(EanAddOn, AddOnBarHeightsMeasured)
{
    const std::string path = kt::ScratchPath("heights.png");
    const struct {
        const char* note;
        std::vector<std::string> options;
        bool textBelow;
        bool textShown;
    } rows[] = {
        {"text below (default)", {}, true, true},
        {"text above", {"-p", "0"}, false, true},
        {"text hidden", {"-s", "0"}, true, false},
        {"text above, hidden", {"-s", "0", "-p", "0"}, false, false},
    };
    for (const AddOnSymbol& s : Symbols)
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(s.note) + ", " + row.note);
            std::vector<std::string> args = {"-t", std::to_string(s.type), "-d", s.data, "-n", "2"};
            args.insert(args.end(), row.options.begin(), row.options.end());
            args.push_back(path);
            ASSERT_EQ(kt::RunKavren(args).status, 0);
            kt::Raster r;
            ASSERT_TRUE(kt::ReadPng(path, r));
            const auto guard = BarSpan(r, DarkRunCentre(r, 0));  // the start guard's first bar
            const auto normal = BarSpan(r, DarkRunCentre(r, 2)); // the first digit's first bar
            const auto addOn = BarSpan(r, DarkRunCentre(r, -1)); // the add-on's last bar
            if (!row.textShown) {
                EXPECT_EQ(addOn, std::make_pair(0, r.height));
                EXPECT_EQ(normal, addOn);
                continue;
            }
            const int textBand = row.textBelow ? r.height - normal.second : normal.first;
            ASSERT_GT(textBand, 0);
            if (row.textBelow) {
                EXPECT_EQ(addOn.first, textBand);
                EXPECT_EQ(addOn.second, guard.second);
            } else {
                EXPECT_EQ(addOn.first, guard.first);
                EXPECT_EQ(addOn.second, r.height - textBand);
            }
            // The add-on digits stand in the band beside its bars, none under the main text line.
            const int bandRow = row.textBelow ? textBand / 2 : r.height - textBand / 2;
            const int addOnStart = (10 + s.mainModules + AddOnGapModules) * 2;
            int inkInBand = 0;
            for (int x = addOnStart; x < r.width; ++x)
                inkInBand += (r.At(x, bandRow) & 0xff) < 0x80 ? 1 : 0;
            EXPECT_GT(inkInBand, 0);
        }
}

// Sizing applies to the whole symbol: a fixed width takes the widest module
// that fits main, gap, add-on and quiet zones; alignment places them together.
TEST(EanAddOn, FixedWidthFitsTheWholeSymbol)
{
    const std::string path = kt::ScratchPath("fixed.png");
    // EAN-13 + 5 is 10 + 95 + 9 + 47 + 10 = 171 modules: 3 pixels fit 600, 4 would need 684.
    ASSERT_EQ(kt::RunKavren({"-t", "11", "-d", "978030640615+51995", "-x", "600", "-g", "1", path}).status,
              0);
    kt::Raster r;
    ASSERT_TRUE(kt::ReadPng(path, r));
    const std::vector<kt::Run> runs = kt::RowRuns(r, r.height / 2);
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.front().length, 600 - 171 * 3 + 30); // end-aligned: free space, then the quiet zone
    EXPECT_EQ(runs.back().length, 30);                  // the right quiet zone follows the add-on
    EXPECT_EQ(kt::RunKavren({"-t", "11", "-d", "978030640615+51995", "-x", "170", path}).status, 5);
}

// The engine's view: validity, the add-on digits and the whole length.
TEST(EanAddOn, DataTexts)
{
    const struct {
        int type;
        const char* data;
        bool valid;
        const char* addOn;
        int modules; // GetSymbolLength at one pixel a module, quiet zones included
    } rows[] = {
        {11, "978030640615+51995", true, "51995", 20 + 95 + 9 + 47},
        {11, "978030640615+12", true, "12", 20 + 95 + 9 + 20},
        {13, "03600029145+12", true, "12", 20 + 95 + 9 + 20},
        {14, "04210000526+12345", true, "12345", 20 + 52 + 9 + 47},
        {11, "978030640615", true, "", 20 + 95}, // no add-on: as before
        {11, "978030640615+", false, "", 0},     // nothing after '+'
        {11, "978030640615+1", false, "", 0},    // 1 digit
        {11, "978030640615+123", false, "", 0},  // 3 digits
        {11, "978030640615+1234", false, "", 0}, // 4 digits
        {11, "978030640615+123456", false, "", 0},
        {11, "978030640615+12+34", false, "", 0}, // a second '+'
        {11, "978030640615++12", false, "", 0},
        {11, "978030640615+1a", false, "", 0},
        {11, "978030640615+ 12", false, "", 0},
        {11, "+12", false, "", 0},            // no main symbol
        {11, "97803064061+12", false, "", 0}, // main of 11 digits
        {13, "0360002914+12", false, "", 0},  // UPC-A main of 10 digits
        {14, "01234512345+12", false, "", 0}, // UPC-E main that cannot be compressed
        {10, "9638507+12", false, "", 0},     // EAN-8 takes no add-on
        {8, "12+34", false, "", 0},           // nor do the add-ons themselves
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.type) + " " + row.data);
        CBarcodeSettings settings;
        settings.m_Type = row.type;
        settings.m_Data = row.data;
        const std::unique_ptr<CBarcodeSym> sym = CreateBarcodeSym(settings);
        ASSERT_TRUE(sym);
        EXPECT_EQ(sym->m_Valid, row.valid);
        if (!row.valid)
            continue;
        const auto* ean = dynamic_cast<const CBarcodeSymEanUpc*>(sym.get());
        ASSERT_NE(ean, nullptr);
        EXPECT_EQ(ean->m_AddOn, row.addOn);
        EXPECT_EQ(sym->GetSymbolLength(1), row.modules);
        EXPECT_EQ(sym->GetSymbolLength(3), 3 * row.modules);
    }
}

TEST(EanAddOn, InvalidAddOnTextIsStatusSix)
{
    const std::string path = kt::ScratchPath("invalid.png");
    const std::pair<const char*, const char*> rows[] = {
        {"11", "978030640615+123"}, {"13", "03600029145+12+34"}, {"14", "04210000526+1234"}};
    for (const auto& [type, data] : rows) {
        SCOPED_TRACE(data);
        const kt::RunResult run = kt::RunKavren({"-t", type, "-d", data, path});
        EXPECT_EQ(run.status, 6);
        EXPECT_NE(run.err.find("Error: Invalid barcode text."), std::string::npos);
        EXPECT_FALSE(kt::FileExists(path));
    }
}

} // namespace
