// SVG and EPS of real symbols against the PNG of the same options: rendered
// by rsvg-convert and Ghostscript they have the PNG's bars pixel for pixel,
// and the decoders read them wherever they read the PNG.
#include "tests/format_support.h"

#include <string>
#include <vector>

namespace {

using kavren::Format;

constexpr int kOrientations[] = {0, 90, 180, 270};

// Text in red over black bars: the text never takes the bar colour exactly,
// so the pixels that are exactly black are the bars.
kavren::Options Sample(int symbology, int orientation, Format format)
{
    kavren::Options o = kt::SampleOptions(symbology, orientation);
    o.textColour = kavren::Rgb::FromHex(0xff0000);
    o.format = format;
    return o;
}

std::string Name(int symbology, int orientation, const char* extension)
{
    return std::string("s")
        .append(std::to_string(symbology))
        .append("-o")
        .append(std::to_string(orientation))
        .append(extension);
}

// What each decoder reads from a picture (empty lists when it reads nothing).
struct Readings {
    std::vector<std::string> zbar;
    std::vector<std::string> zxing;
};

Readings Read(const std::string& png)
{
    return {kt::Zbar(png), kt::ZXingTexts(png)};
}

void ExpectReadsLike(const Readings& png, const std::string& rendering)
{
    const Readings vector = Read(rendering);
    if (!png.zbar.empty()) {
        EXPECT_EQ(vector.zbar, png.zbar);
    }
    if (!png.zxing.empty()) {
        EXPECT_EQ(vector.zxing, png.zxing);
    }
}

} // namespace

// Every symbology in all four orientations: the SVG is well-formed, rsvg-convert
// at 96 dpi gives the PNG's size and bars exactly, the text lands where the
// PNG's does, and both decoders read it where they read the PNG.
TEST(SvgRoundTrip, EverySymbologyAndOrientationMatchesThePng)
{
    int decoded = 0;
    for (int symbology = 0; symbology < 22; ++symbology)
        for (const int orientation : kOrientations) {
            const std::string name = Name(symbology, orientation, "");
            SCOPED_TRACE(name);
            const std::string png =
                kt::RenderToFile(Sample(symbology, orientation, Format::Png), name + ".png");
            const kavren::Result svg = kavren::Render(Sample(symbology, orientation, Format::Svg));
            ASSERT_TRUE(png.size() && svg);
            const std::string svgPath = kt::ScratchPath(name + ".svg");
            kt::WriteFile(svgPath, kt::Text(svg));
            EXPECT_EQ(kt::RunCommand("xmllint --noout '" + svgPath + "' 2>/dev/null").status, 0);

            kt::Raster raster;
            ASSERT_TRUE(kt::ReadPng(png, raster));
            const kt::Raster rendered = kt::RenderSvg(kt::Text(svg), name);
            ASSERT_EQ(rendered.width, raster.width);
            ASSERT_EQ(rendered.height, raster.height);
            EXPECT_EQ(kt::BarPixelsDiffering(rendered, raster), 0);
            EXPECT_EQ(kt::SolidInkMissing(raster, rendered, 0x0000ff, 0xffffff), 0);

            const Readings fromPng = Read(png);
            decoded += !fromPng.zbar.empty() || !fromPng.zxing.empty();
            ExpectReadsLike(fromPng, kt::ScratchPath(name + "-svg.png"));
        }
    // Most symbologies have a reader: the comparison above is not vacuous.
    EXPECT_GE(decoded, 60);
}

// Without text, nothing but bars and background: the whole picture is the PNG's.
TEST(SvgRoundTrip, WithoutTextThePictureIsThePng)
{
    for (const int symbology : {7, 11, 17})
        for (const int orientation : kOrientations) {
            const std::string name = Name(symbology, orientation, "-notext");
            SCOPED_TRACE(name);
            kavren::Options options = Sample(symbology, orientation, Format::Png);
            options.showText = false;
            options.background = kavren::Rgb::FromHex(0xfff3c0);
            options.barColour = kavren::Rgb::FromHex(0x14365a);
            kt::Raster raster;
            ASSERT_TRUE(kt::ReadPng(kt::RenderToFile(options, name + ".png"), raster));
            options.format = Format::Svg;
            EXPECT_EQ(kt::DifferentPixels(kt::RenderSvg(kt::Text(kavren::Render(options)), name), raster), 0);
        }
}

// Ghostscript renders every symbology's EPS: the bounding box is the PNG's
// size at 72/96 points a pixel, the bars are the PNG's, and the decoders
// read it where they read the PNG.
TEST(EpsRoundTrip, EverySymbologyRendersWithThePngBars)
{
    for (int symbology = 0; symbology < 22; ++symbology)
        for (const int orientation : {0, 90}) {
            const std::string name = Name(symbology, orientation, "");
            SCOPED_TRACE(name);
            const std::string png =
                kt::RenderToFile(Sample(symbology, orientation, Format::Png), name + ".png");
            const kavren::Result eps = kavren::Render(Sample(symbology, orientation, Format::Eps));
            ASSERT_TRUE(png.size() && eps);
            kt::Raster raster;
            ASSERT_TRUE(kt::ReadPng(png, raster));

            const std::string text = kt::Text(eps);
            const std::string hiRes = "%%HiResBoundingBox: 0 0 " + FormatNumber(raster.width * 0.75) + ' ' +
                                      FormatNumber(raster.height * 0.75) + '\n';
            EXPECT_NE(text.find(hiRes), std::string::npos) << hiRes;

            // The bounding box rounds up to whole points: the rendering may
            // be a pixel larger, with nothing drawn there.
            const kt::Raster rendered = kt::RenderEps(text, name);
            EXPECT_LE(rendered.width - raster.width, 1);
            EXPECT_LE(rendered.height - raster.height, 1);
            EXPECT_EQ(kt::BarPixelsDiffering(kt::Cropped(rendered, raster.width, raster.height), raster), 0);
            ExpectReadsLike(Read(png), kt::ScratchPath(name + "-eps.png"));
        }
}
