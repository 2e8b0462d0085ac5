// The matrix symbologies as a reader sees them: every variant drawn by the
// command line in all four orientations and the three formats (SVG through
// rsvg-convert, EPS through Ghostscript) is read by ZXingReader with its data,
// its symbology identifier (the GS1 flag ]d2 or ]Q3), its rotation and its
// quiet zones; zbarimg reads the QR Codes and dmtxread the Data Matrix of the
// ISO/IEC 16022 sizes.
#include "tests/format_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

constexpr int kModule = 4; // pixels, -n

// What ZXingReader (without -1, with -escape) prints of one symbol.
struct Reading {
    std::string text;       // the Text line, unquoted, non-graphical bytes as <..>
    std::string identifier; // the symbology identifier, e.g. ]Q3
    std::string rotation;   // e.g. "-90 deg"
    int nearest = -1;       // the smallest coordinate of the four corners
    int farthest = -1;      // the largest
};

std::string Field(const std::string& line, const std::string& name)
{
    if (line.rfind(name + ":", 0) != 0)
        return {};
    std::string value = line.substr(name.size() + 1);
    value.erase(0, value.find_first_not_of(' '));
    return value;
}

std::vector<Reading> ReadZXing(const std::string& path)
{
    std::vector<Reading> readings;
    std::istringstream lines(kt::RunCommand("ZXingReader -escape '" + path + "'").out);
    for (std::string line; std::getline(lines, line);) {
        if (std::string text = Field(line, "Text"); !text.empty()) {
            readings.push_back({text.substr(1, text.size() - 2), {}, {}, -1, -1});
        } else if (readings.empty()) {
            continue;
        } else if (std::string id = Field(line, "Identifier"); !id.empty()) {
            readings.back().identifier = id;
        } else if (std::string rotation = Field(line, "Rotation"); !rotation.empty()) {
            readings.back().rotation = rotation;
        } else if (std::string position = Field(line, "Position"); !position.empty()) {
            std::replace(position.begin(), position.end(), 'x', ' ');
            std::istringstream numbers(position);
            for (int n = 0; numbers >> n;) {
                readings.back().nearest =
                    readings.back().nearest < 0 ? n : std::min(readings.back().nearest, n);
                readings.back().farthest = std::max(readings.back().farthest, n);
            }
        }
    }
    return readings;
}

// ZXing's rotation for each -o: the symbol turned counter-clockwise is read
// turned back clockwise.
std::string Rotation(int orientation)
{
    switch (orientation) {
    case 90: return "-90 deg";
    case 180: return "180 deg";
    case 270: return "90 deg";
    default: return "0 deg";
    }
}

struct Variant {
    const char* name;
    Args args;        // type, data and the variant's options
    std::string text; // ZXingReader's Text
    const char* identifier;
    int quiet;        // quiet zone in modules
    std::string zbar; // zbarimg's reading; empty: not asked (no QR Code)
    std::string dmtx; // dmtxread's reading; empty: not asked (no Data Matrix, or DMRE)
};

const std::string kGs1 = "(01)09501101530003(10)ABC123(21)XYZ";
const std::string kGs1Markers = "<AI01>09501101530003<AI10>ABC123<AI21>XYZ";
const std::string kGs1Read = "010950110153000310ABC123<GS>21XYZ"; // FNC1 after the variable (10)
const std::string kLink = "https://id.gs1.org/01/09501101530003/10/ABC123/21/XYZ";
const std::string kUrl = "https://kavren.example/label?id=42&lot=A7";
// Upper case and digits, lower case, punctuation: C40, Text and ASCII in one
// symbol large enough for interleaved blocks (from 52x52).
const std::string kLong = "KAVREN 2026 LABEL 0123456789 0123456789 lower case text for the text scheme, "
                          "and punctuation: [#42] {ok} ~ Data Matrix ECC 200 with several blocks and regions "
                          "ABCDEFGHIJKLMNOPQRSTUVWXYZ 9876543210 abcdefghijklmnopqrstuvwxyz";

const Variant kVariants[] = {
    {"dm",
     {"-t", "datamatrix", "-d", "Hello, World! 123"},
     "Hello, World! 123",
     "]d1",
     1,
     "",
     "Hello, World! 123"},
    {"dm-long", {"-t", "datamatrix", "-d", kLong}, kLong, "]d1", 1, "", kLong},
    {"dm-rect",
     {"-t", "dm", "--size", "16x48", "-d", "RECT 16x48"},
     "RECT 16x48",
     "]d1",
     1,
     "",
     "RECT 16x48"},
    {"dm-dmre",
     {"-t", "datamatrix", "--dmre", "--size", "8x64", "-d", "DMRE 8x64"},
     "DMRE 8x64",
     "",
     1,
     "",
     ""},
    {"dm-dmre-auto",
     {"-t", "datamatrix", "--dmre", "-d", "0123456789012345678901234567890123"},
     "0123456789012345678901234567890123",
     "",
     1,
     "",
     ""},
    {"gs1dm", {"-t", "gs1-datamatrix", "-d", kGs1}, kGs1Read, "]d2", 1, "", "010950110153000310ABC12321XYZ"},
    {"gs1dm-markers",
     {"-t", "gs1-datamatrix", "-d", kGs1Markers},
     kGs1Read,
     "]d2",
     1,
     "",
     "010950110153000310ABC12321XYZ"},
    {"qr-l", {"-t", "qr", "--ec", "L", "-d", kUrl}, kUrl, "]Q1", 4, "QR-Code:" + kUrl, ""},
    {"qr-m", {"-t", "qr", "-d", kUrl}, kUrl, "]Q1", 4, "QR-Code:" + kUrl, ""},
    {"qr-q", {"-t", "qr", "--ec", "q", "--mask", "5", "-d", kUrl}, kUrl, "]Q1", 4, "QR-Code:" + kUrl, ""},
    {"qr-h", {"-t", "qr", "--ec", "H", "--size", "7", "-d", kUrl}, kUrl, "]Q1", 4, "QR-Code:" + kUrl, ""},
    {"qr-eci",
     {"-t", "qr", "--eci", "26", "-d", "h\xc3\xa9llo \xe2\x82\xac"},
     "h<U+E9>llo <U+20AC>",
     "",
     4,
     "QR-Code:h\xc3\xa9llo \xe2\x82\xac",
     ""},
    {"gs1qr",
     {"-t", "gs1-qr", "-d", kGs1},
     kGs1Read,
     "]Q3",
     4,
     "QR-Code:010950110153000310ABC123\x1d"
     "21XYZ",
     ""},
    {"mqr", {"-t", "micro-qr", "-d", "01234567"}, "01234567", "]Q1", 2, "", ""},
    {"mqr-m4",
     {"-t", "micro-qr", "--size", "M4", "--ec", "Q", "-d", "KAVREN 42"},
     "KAVREN 42",
     "]Q1",
     2,
     "",
     ""},
    {"link-qr",
     {"--digital-link", "https://id.gs1.org", "-d", kGs1},
     kLink,
     "]Q1",
     4,
     "QR-Code:" + kLink,
     ""},
    {"link-dm",
     {"-t", "datamatrix", "--digital-link", "https://id.gs1.org/", "-d", kGs1Markers},
     kLink,
     "]d1",
     1,
     "",
     kLink},
};

constexpr const char* kFormats[] = {"png", "svg", "eps"};

// The picture a reader gets: the PNG itself, the SVG or EPS rendered.
std::string Picture(const std::string& path, const std::string& name, const std::string& format)
{
    if (format == "svg")
        kt::RenderSvg(kt::ReadFile(path), name);
    else if (format == "eps")
        kt::RenderEps(kt::ReadFile(path), name);
    return format == "png" ? path : kt::ScratchPath(name + "-" + format + ".png");
}

// Text ink: red dominates (anti-aliased over the white background too).
bool IsRed(std::uint32_t bgr)
{
    const std::uint32_t r = bgr & 0xff, g = (bgr >> 8) & 0xff, b = (bgr >> 16) & 0xff;
    return r > g + 40 && r > b + 40;
}

} // namespace

TEST(MatrixScan, EveryVariantReadsInEveryOrientationAndFormat)
{
    for (const Variant& v : kVariants)
        for (const int orientation : {0, 90, 180, 270})
            for (const std::string format : kFormats) {
                const std::string name =
                    std::string(v.name) + "-o" + std::to_string(orientation) + "-" + format;
                SCOPED_TRACE(name);
                const std::string path = kt::ScratchPath(name + "." + format);
                Args args = v.args;
                args.insert(args.end(),
                            {"-n", std::to_string(kModule), "-o", std::to_string(orientation), path});
                const kt::RunResult run = kt::RunKavren(args);
                ASSERT_EQ(run.status, 0) << run.err;
                EXPECT_EQ(run.err, "");

                const std::string picture = Picture(path, name, format);
                const std::vector<Reading> read = ReadZXing(picture);
                ASSERT_EQ(read.size(), 1U);
                EXPECT_EQ(read[0].text, v.text);
                if (*v.identifier) {
                    EXPECT_EQ(read[0].identifier, v.identifier);
                }
                EXPECT_EQ(read[0].rotation, Rotation(orientation));
                if (format == "png") {
                    // The quiet zone on every side, of whole modules: the
                    // corners are as far from the edges as the zone is wide.
                    kt::Raster raster;
                    ASSERT_TRUE(kt::ReadPng(picture, raster));
                    EXPECT_EQ(read[0].nearest, v.quiet * kModule);
                    EXPECT_EQ(std::max(raster.width, raster.height) - read[0].farthest, v.quiet * kModule);
                }
                if (!v.zbar.empty()) {
                    EXPECT_EQ(kt::Zbar(picture), std::vector<std::string>{v.zbar});
                }
                if (!v.dmtx.empty() && format == "png") {
                    EXPECT_EQ(kt::RunCommand("dmtxread '" + picture + "'").out, v.dmtx);
                }
            }
}

// No text unless --hri: then the data (GS1 data with its AIs in brackets)
// below the symbol, which still reads; without quiet zones the corners touch
// the image's edges.
TEST(MatrixScan, TextOnlyWithHriAndQuietZonesOnlyWithQ)
{
    struct Case {
        Args args;
        bool text; // ink of the text colour below the symbol
        int quiet; // modules; -1: not measured (the image is wider than the symbol)
    };
    // clang-format off
    const Case cases[] = {
        {{"-t", "qr", "-d", "HRI"}, false, 4},
        {{"-t", "qr", "-s", "1", "-d", "HRI"}, false, 4},
        {{"-t", "qr", "--hri", "-d", "HRI"}, true, 4},
        {{"-t", "gs1-datamatrix", "--hri", "-d", "(01)09501101530003"}, true, 1},
        // A text wider than the symbol widens the image, the symbol centred, whatever -g says.
        {{"-t", "gs1-qr", "--hri", "-g", "0", "-d", "(01)09501101530003(17)261231(10)ABC123"}, true, -1},
        {{"-t", "datamatrix", "--hri", "-o", "270", "-d", "a long text under a small symbol"}, true, -1},
        {{"-t", "micro-qr", "--hri", "-s", "0", "-d", "123"}, false, 2},  // -s 0 turns every text off
        {{"-t", "datamatrix", "-q", "0", "-d", "Q0"}, false, 0},
        {{"-t", "micro-qr", "-q", "0", "-d", "123"}, false, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::string path = kt::ScratchPath("hri.png");
        Args args = c.args;
        args.insert(args.end(), {"-n", std::to_string(kModule), "-e", "ff0000", path});
        SCOPED_TRACE(::testing::PrintToString(args));
        ASSERT_EQ(kt::RunKavren(args).status, 0);
        kt::Raster raster;
        ASSERT_TRUE(kt::ReadPng(path, raster));
        // The image's first and last pixels along the reading direction.
        const bool upright = std::find(c.args.begin(), c.args.end(), "270") != c.args.end();
        long red = 0;
        long redAtEnds = 0;
        for (int y = 0; y < raster.height; ++y)
            for (int x = 0; x < raster.width; ++x)
                if (IsRed(raster.At(x, y))) {
                    ++red;
                    redAtEnds += upright ? y == 0 || y == raster.height - 1 : x == 0 || x == raster.width - 1;
                }
        EXPECT_EQ(red > 0, c.text);
        EXPECT_EQ(redAtEnds, 0); // no glyph cut by the image's ends
        if (!c.text) {
            EXPECT_EQ(raster.width, raster.height); // no text band either
        }
        if (c.quiet == 0) {
            // ZXing wants a quiet zone: the finder's corner module is the image's.
            EXPECT_EQ(raster.At(0, 0), 0U);
            continue;
        }
        const std::vector<Reading> read = ReadZXing(path);
        ASSERT_EQ(read.size(), 1U);
        if (c.quiet > 0) {
            EXPECT_EQ(read[0].nearest, c.quiet * kModule);
        }
    }
}
