// Physical sizes, resolution, transparency and the font option: module
// widths measured in the SVG's and EPS's own coordinates and in the PNG's
// pixels, the pHYs chunk, alpha values, and text drawn with another font.
#include "tests/format_support.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace {

using kavren::Format;
using kavren::Unit;

const std::string kSourceDir = KAVREN_SOURCE_DIR;
// The embedded font's own file, and a font of another design.
const std::string kEmbeddedFontFile = kSourceDir + "/assets/LiberationSans-Regular-Latin1.ttf";
const std::string kOtherFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

constexpr double kMmPerInch = 25.4;

kavren::Options Ean13(Format format, Unit unit, double xDimension, std::int32_t dpi)
{
    kavren::Options o = kt::SampleOptions(11, 0);
    o.data = "590123412345";
    o.height = 0;
    o.format = format;
    o.unit = unit;
    o.xDimension = xDimension;
    o.dpi = dpi;
    return o;
}

double Number(const std::string& text)
{
    return std::stod(text);
}

// The SVG's stated width in millimetres (mm, in, or CSS pixels at 96 dpi) per unit of its viewBox.
double SvgMillimetresPerUnit(const std::string& svg)
{
    std::smatch m;
    const std::regex size(R"re(width="([0-9.]+)(mm|in|)".*viewBox="0 0 ([0-9.]+) )re");
    if (!std::regex_search(svg, m, size))
        return 0.0;
    const double perUnit = m[2] == "mm" ? 1.0 : m[2] == "in" ? kMmPerInch : kMmPerInch / 96.0;
    return Number(m[1]) * perUnit / Number(m[3]);
}

// The widths of the bar rectangles of the SVG's bar path ("Mx yHx2V..."), in viewBox units.
std::vector<double> SvgBarWidths(const std::string& svg)
{
    const std::size_t path = svg.find("crispEdges\" d=\"");
    const std::string d = svg.substr(path, svg.find("\"/>", path) - path);
    std::vector<double> widths;
    const std::regex bar(R"(M([0-9.]+) [0-9.]+H([0-9.]+)V)");
    for (auto it = std::sregex_iterator(d.begin(), d.end(), bar); it != std::sregex_iterator(); ++it)
        widths.push_back(Number((*it)[2]) - Number((*it)[1]));
    return widths;
}

// The widths of the EPS's bar rectangles ("x y w h r" after the bar colour), in points.
std::vector<double> EpsBarWidths(const std::string& eps, int dpi)
{
    std::vector<double> widths;
    const std::size_t bars = eps.find("0 0 0 setrgbcolor\n");
    const std::string body = eps.substr(bars, eps.find("setrgbcolor\nnewpath", bars) - bars);
    const std::regex bar(R"(\n[0-9.]+ [0-9.]+ ([0-9.]+) [0-9.]+ r)");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), bar); it != std::sregex_iterator(); ++it)
        widths.push_back(Number((*it)[1]) * 72.0 / dpi);
    return widths;
}

// Every width a whole number (1 to 4) of modules; the narrowest is the module.
void ExpectModules(const std::vector<double>& widths, double module, double tolerance)
{
    ASSERT_FALSE(widths.empty());
    EXPECT_NEAR(*std::min_element(widths.begin(), widths.end()), module, tolerance);
    for (const double w : widths) {
        const double modules = std::round(w / module);
        EXPECT_TRUE(modules >= 1 && modules <= 4) << w;
        EXPECT_NEAR(w, modules * module, tolerance) << w;
    }
}

// The dark runs along the middle row of a picture.
std::vector<int> DarkRuns(const kt::Raster& r)
{
    std::vector<int> runs;
    for (const kt::Run& run : kt::RowRuns(r, r.height / 3))
        if (run.dark)
            runs.push_back(run.length);
    return runs;
}

} // namespace

// The issue's example: 0.33 mm modules at 600 dpi. The SVG and EPS keep the
// exact module (EAN-13 is 95 modules and 2 x 10 of quiet zone: 37.95 mm);
// the PNG rounds it to 8 pixels and states 23622 pixels per metre.
TEST(PhysicalSize, Ean13AtPointThreeThreeMillimetres)
{
    const kavren::Result svg = kavren::Render(Ean13(Format::Svg, Unit::Millimetres, 0.33, 600));
    ASSERT_TRUE(svg);
    const std::string text = kt::Text(svg);
    EXPECT_NE(text.find("width=\"37.95mm\""), std::string::npos);
    const double mmPerUnit = SvgMillimetresPerUnit(text);
    ExpectModules(SvgBarWidths(text), 0.33 / mmPerUnit, 1e-5);

    const kavren::Result eps = kavren::Render(Ean13(Format::Eps, Unit::Millimetres, 0.33, 600));
    ASSERT_TRUE(eps);
    const double points = 0.33 / kMmPerInch * 72.0;
    EXPECT_NE(kt::Text(eps).find("%%HiResBoundingBox: 0 0 " + FormatNumber(115 * points) + ' '),
              std::string::npos);
    ExpectModules(EpsBarWidths(kt::Text(eps), 600), points, 1e-5);

    const std::string png = kt::RenderToFile(Ean13(Format::Png, Unit::Millimetres, 0.33, 600), "ean600.png");
    kt::Raster raster;
    ASSERT_TRUE(kt::ReadPng(png, raster));
    EXPECT_EQ(raster.width, 115 * 8);
    const std::vector<int> runs = DarkRuns(raster);
    EXPECT_EQ(*std::min_element(runs.begin(), runs.end()), 8);
    EXPECT_EQ(kt::PixelsPerMetre(png), 23622U);
    EXPECT_EQ(kt::Zbar(png), std::vector<std::string>{"EAN-13:5901234123457"});

    // Rendered at its resolution, the SVG reads too.
    const std::string svgPath = kt::ScratchPath("ean600.svg");
    kt::WriteFile(svgPath, text);
    const std::string rendered = kt::ScratchPath("ean600-svg.png");
    ASSERT_EQ(kt::RunCommand("rsvg-convert -d 600 -p 600 -o '" + rendered + "' '" + svgPath + "'").status, 0);
    EXPECT_EQ(kt::Zbar(rendered), std::vector<std::string>{"EAN-13:5901234123457"});
}

// Every unit: the SVG's module measured in millimetres is the exact value;
// the PNG's is that value in pixels at the resolution, rounded.
TEST(PhysicalSize, ModuleWidthInEveryUnit)
{
    struct Case {
        Unit unit;
        double xDimension;
        std::int32_t dpi;
        double millimetres; // the exact module
        int pixels;         // the PNG's module
    };
    const Case cases[] = {
        {Unit::Millimetres, 0.33, 600, 0.33, 8},      // 7.795 pixels
        {Unit::Millimetres, 0.5, 0, 0.5, 2},          // no --dpi: 96 (1.89 pixels)
        {Unit::Inches, 0.013, 300, 0.3302, 4},        // 3.9 pixels
        {Unit::Mils, 13, 203, 0.3302, 3},             // a 203 dpi label printer: 2.639 pixels
        {Unit::Mils, 10, 1200, 0.254, 12},            // exactly 12 pixels
        {Unit::Pixels, 3, 0, 3 * kMmPerInch / 96, 3}, // pixels: the PNG's geometry
        {Unit::Pixels, 3, 300, 3 * kMmPerInch / 300, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.unit)) + " " + std::to_string(c.xDimension));
        const std::string svg = kt::Text(kavren::Render(Ean13(Format::Svg, c.unit, c.xDimension, c.dpi)));
        ExpectModules(SvgBarWidths(svg), c.millimetres / SvgMillimetresPerUnit(svg), 1e-5);
        kt::Raster raster;
        ASSERT_TRUE(kt::ReadPng(kt::RenderToFile(Ean13(Format::Png, c.unit, c.xDimension, c.dpi), "unit.png"),
                                raster));
        EXPECT_EQ(raster.width, 115 * c.pixels);
        const std::vector<int> runs = DarkRuns(raster);
        EXPECT_EQ(*std::min_element(runs.begin(), runs.end()), c.pixels);
    }
}

// -x and -y in the unit: whole pixels at the resolution for every format
// (a fixed length takes the widest whole-pixel module, as the PNG does).
TEST(PhysicalSize, ImageSidesInTheUnit)
{
    struct Case {
        Unit unit;
        std::int32_t width, height, dpi;
        int pixelsWide, pixelsHigh;
    };
    const Case cases[] = {
        {Unit::Millimetres, 50, 20, 300, 591, 236}, // 590.55 and 236.2 pixels
        {Unit::Inches, 2, 1, 150, 300, 150},        {Unit::Mils, 1500, 500, 200, 300, 100},
        {Unit::Millimetres, 60, 0, 0, 227, 200},   // no -y: 200 pixels at 96 dpi
        {Unit::Millimetres, 60, 0, 300, 709, 625}, // and 200/96 inch at any other
    };
    for (const Case& c : cases) {
        kavren::Options o = kt::SampleOptions(7, 0);
        o.unit = c.unit;
        o.width = c.width;
        o.height = c.height;
        o.dpi = c.dpi;
        kt::Raster raster;
        ASSERT_TRUE(kt::ReadPng(kt::RenderToFile(o, "side.png"), raster));
        EXPECT_EQ(raster.width, c.pixelsWide) << c.width;
        EXPECT_EQ(raster.height, c.pixelsHigh) << c.height;
        o.format = Format::Svg;
        const std::string svg = kt::Text(kavren::Render(o));
        EXPECT_NE(
            svg.find("viewBox=\"0 0 " + std::to_string(c.pixelsWide) + ' ' + std::to_string(c.pixelsHigh)),
            std::string::npos)
            << svg.substr(0, 300);
    }
}

// pHYs only with --dpi: the resolution given, in pixels per metre, rounded.
TEST(Resolution, PhysChunkOnlyWhenGiven)
{
    const std::pair<std::int32_t, std::uint32_t> cases[] = {
        {0, 0}, {96, 3780}, {300, 11811}, {600, 23622}, {1, 39}};
    for (const auto& [dpi, perMetre] : cases) {
        kavren::Options o = kt::SampleOptions(7, 0);
        o.showText = false; // 14 points at 600 dpi do not fit 100 pixels
        o.dpi = dpi;
        EXPECT_EQ(kt::PixelsPerMetre(kt::RenderToFile(o, "phys.png")), perMetre) << dpi;
    }
}

// The font height is in points at the resolution: twice the resolution,
// twice the pixels of text and of the text band (the bars shorten by as much).
TEST(Resolution, TextKeepsItsPhysicalSize)
{
    int barHeight[2] = {};
    for (const int i : {0, 1}) {
        kavren::Options o = kt::SampleOptions(7, 0);
        o.height = 0;
        o.dpi = i == 0 ? 96 : 192;
        kt::Raster raster;
        ASSERT_TRUE(kt::ReadPng(kt::RenderToFile(o, "text-dpi.png"), raster));
        const int firstBar = 10 * 2; // behind the quiet zone of 10 two-pixel modules
        for (const kt::Run& run : kt::ColumnRuns(raster, firstBar + 1))
            if (run.dark) {
                barHeight[i] = run.length;
                break;
            }
    }
    const int band96 = 200 - barHeight[0], band192 = 200 - barHeight[1];
    EXPECT_GT(band96, 14);
    EXPECT_NEAR(band192, 2 * band96, 2) << band96 << ' ' << band192;
}

// Transparent PNG: RGBA with alpha 0 on the background, 255 on bars, the
// text's anti-aliasing in alpha; composited on the background colour it is
// the opaque picture, and composited on white the decoders read it.
TEST(Transparency, PngAlphaAndCompositing)
{
    kavren::Options o = kt::SampleOptions(11, 0);
    o.data = "590123412345";
    o.height = 0;
    const std::string opaque = kt::RenderToFile(o, "opaque.png");
    o.transparent = true;
    const std::string transparent = kt::RenderToFile(o, "transparent.png");
    EXPECT_EQ(kt::PngColourType(opaque), 2);
    EXPECT_EQ(kt::PngColourType(transparent), 6);

    kt::Raster solid, composited;
    std::vector<std::uint8_t> alpha;
    ASSERT_TRUE(kt::ReadPng(opaque, solid));
    ASSERT_TRUE(kt::ReadAnyPng(transparent, composited, &alpha));
    ASSERT_EQ(composited.width, solid.width);
    ASSERT_EQ(composited.height, solid.height);
    int partial = 0;
    for (int y = 0; y < solid.height; ++y)
        for (int x = 0; x < solid.width; ++x) {
            const std::uint8_t a = alpha[static_cast<std::size_t>(y) * solid.width + x];
            const std::uint32_t pixel = solid.At(x, y);
            if (pixel == 0xffffff)
                EXPECT_EQ(a, 0) << x << ',' << y;
            else if (pixel == 0)
                EXPECT_EQ(a, 255) << x << ',' << y;
            else
                partial += a > 0 && a < 255;
            for (int shift = 0; shift < 24; shift += 8) // the text's blend, rounded either way
                ASSERT_LE(std::abs(static_cast<int>((composited.At(x, y) >> shift) & 0xff) -
                                   static_cast<int>((pixel >> shift) & 0xff)),
                          1)
                    << x << ',' << y;
        }
    EXPECT_GT(partial, 50); // anti-aliased text edges

    // The picture composited on white, written as a plain PNG, reads.
    CMyPngWriter writer(composited.width, composited.height, nullptr, 96, 96, 0xffffff, -2);
    ASSERT_TRUE(writer.Init());
    for (int y = 0; y < composited.height; ++y)
        for (int x = 0; x < composited.width; ++x)
            writer.SetPixel(x, y, composited.At(x, y));
    const std::string onWhite = kt::ScratchPath("on-white.png");
    FILE* file = std::fopen(onWhite.c_str(), "wb");
    ASSERT_TRUE(file && writer.WriteTo(file));
    std::fclose(file);
    EXPECT_EQ(kt::Zbar(onWhite), std::vector<std::string>{"EAN-13:5901234123457"});
    EXPECT_EQ(kt::ZXingTexts(onWhite), std::vector<std::string>{"EAN-13 \"5901234123457\""});
}

// SVG and EPS leave the background out: renderers show it transparent.
TEST(Transparency, VectorOutputHasNoBackground)
{
    kavren::Options o = kt::SampleOptions(7, 0);
    o.background = kavren::Rgb::FromHex(0xff8000);
    o.transparent = true;
    o.format = Format::Svg;
    const std::string svg = kt::Text(kavren::Render(o));
    EXPECT_EQ(svg.find("<rect x=\"0\" y=\"0\""), std::string::npos); // the text's rect lies past the frame
    EXPECT_EQ(svg.find("#ff8000"), std::string::npos);
    std::vector<std::uint8_t> alpha;
    kt::Raster r = kt::RenderSvg(svg, "transparent", "", &alpha);
    ASSERT_FALSE(alpha.empty());
    EXPECT_EQ(alpha[0], 0);
    EXPECT_EQ(alpha[static_cast<std::size_t>(r.width) * 10 + 20], 255); // the start character's first bar

    o.format = Format::Eps;
    const std::string eps = kt::Text(kavren::Render(o));
    EXPECT_EQ(eps.find("1 0.501961 0 setrgbcolor"), std::string::npos);
    alpha.clear();
    r = kt::RenderEps(eps, "transparent", 96, "pngalpha", &alpha);
    ASSERT_FALSE(alpha.empty());
    EXPECT_EQ(alpha[0], 0);
    EXPECT_EQ(alpha[static_cast<std::size_t>(r.width) * 10 + 20], 255);
}

// --font: the embedded font's own file gives the very same output; another
// font changes the text (and the text band it measures), not the bars' places.
TEST(Font, FileReplacesTheEmbeddedFont)
{
    ASSERT_TRUE(kt::FileExists(kOtherFont)) << "tools/install-deps --test installs fonts-dejavu-core";
    for (const Format format : {Format::Png, Format::Svg, Format::Eps}) {
        SCOPED_TRACE(static_cast<int>(format));
        kavren::Options o = kt::SampleOptions(11, 0);
        o.format = format;
        const kavren::Result embedded = kavren::Render(o);
        o.font = kEmbeddedFontFile;
        const kavren::Result sameFile = kavren::Render(o);
        o.font = kOtherFont;
        const kavren::Result other = kavren::Render(o);
        ASSERT_TRUE(embedded && sameFile && other);
        EXPECT_EQ(sameFile.bytes, embedded.bytes);
        EXPECT_NE(other.bytes, embedded.bytes);
    }
    kavren::Options o = kt::SampleOptions(11, 0);
    kt::Raster embedded, other;
    ASSERT_TRUE(kt::ReadPng(kt::RenderToFile(o, "embedded.png"), embedded));
    o.font = kOtherFont;
    ASSERT_TRUE(kt::ReadPng(kt::RenderToFile(o, "dejavu.png"), other));
    EXPECT_EQ(kt::ModuleString(kt::TrimToBars(kt::RowRuns(embedded, 10)), 2),
              kt::ModuleString(kt::TrimToBars(kt::RowRuns(other, 10)), 2));
    EXPECT_GT(kt::DifferentPixels(embedded, other), 0);
}

// Library options outside their range come back as InvalidArgument.
TEST(FormatOptions, LibraryRejectsValuesOutOfRange)
{
    const std::vector<std::function<void(kavren::Options&)>> cases = {
        [](kavren::Options& o) { o.format = static_cast<Format>(3); },
        [](kavren::Options& o) { o.unit = static_cast<Unit>(-1); },
        [](kavren::Options& o) { o.dpi = -1; },
        [](kavren::Options& o) { o.dpi = kavren::kMaxDpi + 1; },
        [](kavren::Options& o) { o.font = std::string("a\0b", 3); },
        // An exact module below 1/100 pixel cannot be written to six decimals.
        [](kavren::Options& o) {
            o.format = Format::Svg;
            o.unit = Unit::Millimetres;
            o.xDimension = 0.001;
            o.dpi = 1;
        },
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        kavren::Options o;
        cases[i](o);
        EXPECT_EQ(kavren::Render(o).status, kavren::Status::InvalidArgument) << i;
    }
}
