// --compliant measured from the pictures: the PNG, and the SVG as rsvg-convert
// renders it, at 0.33 mm modules and 600 dpi: quiet zones, bar and guard bar
// heights, where the text stands against the bars and how high it is.
#include "tests/image_vector_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr double kPixelsPerMm = 600 / 25.4;

// A text group must lie within [from, to] modules from the first bar, clear
// of the guard bars (EAN-13: start guard 0..3, centre 45..50, end 92..95); no
// groups: the text is centred under the bars.
struct Group {
    double from, to;
};

struct Row {
    std::string type, data;
    int leading, trailing;     // quiet zones in modules
    double barModules, barMm;  // bar height: in modules, else in millimetres, else the least
    double guardModules;       // guard bars that much longer
    double frameModules;       // a bearer frame over and under the bars
    std::vector<Group> groups; // the last one smaller for UPC: `smallEnds`
    bool smallEnds = false;
    std::string hri = {};      // the SVG's title, the human-readable text, when given
    double guardDark = 0;      // dark modules as long as the guard bars, when given
};

const std::vector<Row> Rows = {
    {"11", "590123412345", 11, 7, 22.85 / 0.33, 0, 5, 0, {{-11, -1}, {3, 45}, {50, 92}}, false, "", 6},
    // UPC-A's outer characters (0: 3 dark modules, 2: 4) run to guard length, the groups between.
    {"13", "03600029145", 9, 9, 22.85 / 0.33, 0, 5, 0, {{-9, -1}, {10, 46}, {49, 85}, {96, 104}}, true, "", 13},
    {"13", "03600029145+12", 9, 5, 22.85 / 0.33, 0, 5, 0, {{-9, -1}, {10, 46}, {49, 85}, {96, 104}}, true, "", 13},
    {"14", "01234500006", 9, 7, 22.85 / 0.33, 0, 5, 0, {{-9, -1}, {3, 45}, {52, 58}}, true},
    {"10", "9638507", 7, 7, 18.23 / 0.33, 0, 5, 0, {{3, 31}, {36, 64}}},
    // 6.35 mm or 15 % of the bars' length, whichever is greater.
    {"7", "1234567", 10, 10, 0, 0, 0, 0, {}},
    {"7", "12345678901234567890123456789012345678901234567890", 10, 10, 0, 0, 0, 0, {}},
    {"2", "CODE39", 10, 10, 0, 0, 0, 0, {}},
    {"15", "<AI01>12345678901231<AI10>ABC", 10, 10, 0, 32, 0, 0, {}, false, "(01)12345678901231(10)ABC"},
    {"21", "1540014128876", 10, 10, 0, 32, 0, 10, {}, false, "(01) 15400141288763"}, // the bearer box
};

struct Measured {
    double leading = 0, trailing = 0, bars = 0, guards = 0;
    int guardColumns = 0; // columns dark down to the guard bars' end
    int firstBar = 0, lastBar = 0;
    std::vector<int> text; // the columns the text darkens
};

// The dark run from the top of column x (0 when the column starts light).
int TopRun(const kt::Raster& r, int x)
{
    int y = 0;
    while (y < r.height && r.At(x, y) == 0)
        ++y;
    return y;
}

Measured Measure(const kt::Raster& r, double module, bool frame)
{
    Measured m;
    // The bars: the most frequent top run; the guard bars: the longest.
    std::vector<int> tops;
    for (int x = 0; x < r.width; ++x)
        if (const int run = TopRun(r, x); run > 0)
            tops.push_back(run);
    std::sort(tops.begin(), tops.end());
    int barsEnd = tops.front(), most = 0;
    for (auto at = tops.begin(); at != tops.end();) {
        const auto next = std::upper_bound(at, tops.end(), *at);
        if (next - at > most) {
            most = static_cast<int>(next - at);
            barsEnd = *at;
        }
        at = next;
    }
    const int guardsEnd = tops.back();
    if (frame) // the bearer over the spaces is the most frequent: the bars go through the frame
        barsEnd = guardsEnd;
    m.bars = barsEnd;
    m.guards = guardsEnd - barsEnd;
    for (int x = 0; x < r.width; ++x)
        m.guardColumns += TopRun(r, x) >= guardsEnd - 1 ? 1 : 0;
    std::vector<kt::Run> runs = kt::RowRuns(r, barsEnd / 2);
    if (runs.back().length < module / 2) // the SVG's last partial pixel
        runs.pop_back();
    const int side = frame ? runs.front().length : 0; // the bearer box's sides
    if (frame && runs.size() > 2)
        runs = std::vector<kt::Run>(runs.begin() + 1, runs.end() - 1);
    m.leading = runs.front().length / module;
    m.trailing = runs.back().length / module;
    m.firstBar = side + runs.front().length;
    m.lastBar = r.width - side - runs.back().length;
    // The text's columns: dark below every bar.
    for (int x = 0; x < r.width; ++x)
        for (int y = guardsEnd; y < r.height; ++y)
            if (r.At(x, y) != 0xffffff) {
                m.text.push_back(x);
                break;
            }
    return m;
}

// The height of the text in the columns from..to (text columns only) below the bars, in pixels.
int TextHeight(const kt::Raster& r, const std::vector<int>& text, double from, double to, int barsEnd)
{
    int top = r.height, bottom = 0;
    for (const int x : text)
        for (int y = barsEnd; y < r.height && x >= from && x <= to; ++y)
            if (r.At(x, y) != 0xffffff) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return bottom - top + 1;
}

void Check(const Row& row, const kt::Raster& r, double module)
{
    const Measured m = Measure(r, module, row.frameModules > 0);
    EXPECT_NEAR(m.leading, row.leading, 0.2);
    EXPECT_NEAR(m.trailing, row.trailing, 0.2);
    const double least = std::max(6.35 * kPixelsPerMm, 0.15 * (m.lastBar - m.firstBar));
    const double bars = row.barModules > 0 ? row.barModules * module
                        : row.barMm > 0    ? row.barMm * kPixelsPerMm
                                           : least;
    EXPECT_NEAR(m.bars, bars + row.frameModules * module, 1.5);
    EXPECT_NEAR(m.guards, row.guardModules * module, 1.5);
    if (row.guardDark > 0) {
        EXPECT_NEAR(m.guardColumns / module, row.guardDark, 0.5);
    }
    ASSERT_FALSE(m.text.empty());
    EXPECT_GT(m.text.front(), 0) << "clipped";
    EXPECT_LT(m.text.back(), r.width - 1) << "clipped";
    // GS1: digits 2.75 mm high at 0.33 mm modules (whole points at the resolution).
    const double digits = 2.75 / 0.33;
    const int barsEnd = static_cast<int>(m.bars);
    if (row.groups.empty()) {
        EXPECT_NEAR((m.text.front() + m.text.back()) / 2.0, (m.firstBar + m.lastBar) / 2.0, module)
            << "centred";
        // Text as wide as the bars was made smaller to fit; AIs' parentheses
        // reach above and below the digits.
        const double height = TextHeight(r, m.text, 0, r.width, barsEnd) / module;
        if (m.text.back() - m.text.front() > 0.9 * (m.lastBar - m.firstBar) ||
            row.data.find('<') != std::string::npos) {
            EXPECT_LT(height, 1.5 * digits);
        } else {
            EXPECT_NEAR(height, digits, 0.8);
        }
        return;
    }
    const auto at = [&](int x) { return (x - m.firstBar) / module; };
    for (const int x : m.text)
        EXPECT_TRUE(std::any_of(row.groups.begin(), row.groups.end(),
                                [&](const Group& g) { return at(x) >= g.from && at(x + 1) <= g.to; }))
            << "text at module " << at(x);
    for (std::size_t i = 0; i < row.groups.size(); ++i) {
        const bool small = row.smallEnds && (i == 0 || i + 1 == row.groups.size());
        const double from = m.firstBar + row.groups[i].from * module,
                     to = m.firstBar + row.groups[i].to * module;
        EXPECT_NEAR(TextHeight(r, m.text, from, to, barsEnd) / module, small ? 0.75 * digits : digits, 0.8)
            << i;
    }
}

TEST(Compliant, QuietZonesHeightsAndTextFromThePictures)
{
    for (const Row& row : Rows) {
        SCOPED_TRACE("-t " + row.type + " -d " + row.data);
        const std::vector<std::string> args = {"--compliant", "-t", row.type, "-d",    row.data, "--unit",
                                               "mm",          "-n", "0.33",   "--dpi", "600"};
        const std::string png = kt::ScratchPath("compliant.png"), svg = kt::ScratchPath("compliant.svg");
        for (const std::string& path : {png, svg}) {
            std::vector<std::string> run = args;
            run.push_back(path);
            ASSERT_EQ(kt::RunKavren(run).status, 0);
        }
        kt::Raster raster;
        ASSERT_TRUE(kt::ReadPng(png, raster));
        Check(row, raster, 8.0); // 0.33 mm is 7.8 pixels, drawn as 8
        EXPECT_FALSE(kt::Zbar(png).empty()) << "unread";
        EXPECT_FALSE(kt::ZXingTexts(png, "-noscale").empty())
            << "unread"; // its downscaling loses 8-pixel modules
        Check(row, kt::RenderSvg(kt::ReadFile(svg), "compliant", "-d 600 -p 600"), 0.33 * kPixelsPerMm);
        if (!row.hri.empty()) {
            EXPECT_NE(kt::ReadFile(svg).find("<title>" + row.hri + "</title>"), std::string::npos);
        }
    }
    // A given -y keeps its height.
    kt::Raster given;
    const std::string path = kt::ScratchPath("given.png");
    ASSERT_EQ(kt::RunKavren({"--compliant", "-t", "11", "-d", "590123412345", "-y", "150", path}).status, 0);
    ASSERT_TRUE(kt::ReadPng(path, given));
    EXPECT_EQ(given.height, 150);
}

} // namespace
