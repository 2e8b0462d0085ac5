// Helpers of the vector suites: layouts built by hand, the raster the same
// layout gives (bars through FillRect, text through DrawString), renderings of
// SVG and EPS documents by real renderers, and comparisons of their pixels.
#pragma once

#include "image/MyPngWriter.h"
#include "image/VectorShapes.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace kt {

// Code 128 "ABC" in code set B: start B, A, B, C, check 1, stop (ISO/IEC 15417, Table 1).
inline const std::string kCode128Abc = "11010010000"
                                       "10100011000"
                                       "10001011000"
                                       "10001000110"
                                       "11001101100"
                                       "1100011101011";

// The angle the raster text renderer is given, pi taken as 3.1415926.
inline double RasterTextAngle(int orientation)
{
    return orientation * 3.1415926 / 180.0;
}

// The area of a symbol `length` long and `thickness` across, at the origin.
inline Rect AreaFor(int orientation, double length, double thickness)
{
    const bool upright = orientation == 90 || orientation == 270;
    const auto l = static_cast<std::int32_t>(length), t = static_cast<std::int32_t>(thickness);
    return upright ? Rect{0, t, 0, l} : Rect{0, l, 0, t};
}

// Bars of a module string ('1' bar, '0' space) of `module` units each, behind
// a quiet zone of 10 modules, `height` across; one BarBox per module, so
// wide bars are runs of touching boxes the renderers must merge.
inline Layout ModuleLayout(const std::string& modules, int module, double height, int orientation)
{
    Layout layout;
    layout.orientation = orientation;
    layout.length = static_cast<double>((modules.size() + 20) * static_cast<std::size_t>(module));
    layout.thickness = height;
    layout.area = AreaFor(orientation, layout.length, layout.thickness);
    for (std::size_t i = 0; i < modules.size(); ++i)
        if (modules[i] == '1')
            layout.bars.push_back({static_cast<double>((i + 10) * static_cast<std::size_t>(module)), 0.0,
                                   static_cast<double>(module), height});
    return layout;
}

// The layout drawn the way the raster renderer draws it, at `dpi` for the text.
inline Raster RasterOf(const Layout& layout, int dpi = 96)
{
    CMyPngWriter writer(layout.area.right, layout.area.bottom, nullptr, dpi, dpi, 0xffffff, -2);
    EXPECT_TRUE(writer.Init());
    if (layout.paintBackground)
        writer.FillRect(0, 0, writer.GetWidth(), writer.GetHeight(), layout.background);
    for (const BarBox& bar : layout.bars) {
        const ImagePoint a = ToImage(layout, bar.along, bar.across);
        const ImagePoint b = ToImage(layout, bar.along + bar.length, bar.across + bar.height);
        writer.FillRect(static_cast<int>(std::min(a.x, b.x)), static_cast<int>(std::min(a.y, b.y)),
                        static_cast<int>(std::abs(b.x - a.x)), static_cast<int>(std::abs(b.y - a.y)),
                        layout.barColour);
    }
    for (const TextRun& run : layout.texts) {
        const ImagePoint p = ToImage(layout, run.along, run.across);
        writer.DrawString(run.text.c_str(), run.fontHeight, run.mode, static_cast<int>(p.x),
                          static_cast<int>(p.y), static_cast<int>(run.span),
                          RasterTextAngle(layout.orientation), layout.textColour);
    }
    Raster raster;
    raster.width = writer.GetWidth();
    raster.height = writer.GetHeight();
    for (int y = 0; y < raster.height; ++y)
        raster.rgb.insert(raster.rgb.end(), writer.GetRow(y), writer.GetRow(y) + 3 * raster.width);
    return raster;
}

// Any 8-bit PNG as RGB composited on white, with its alpha channel apart.
inline bool ReadAnyPng(const std::string& path, Raster& out, std::vector<std::uint8_t>* alpha = nullptr)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        return false;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.clear();
    if (alpha)
        alpha->clear();
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        const unsigned a = rgba[i + 3];
        for (int c = 0; c < 3; ++c)
            out.rgb.push_back(static_cast<std::uint8_t>((rgba[i + c] * a + 255 * (255 - a) + 127) / 255));
        if (alpha)
            alpha->push_back(static_cast<std::uint8_t>(a));
    }
    return true;
}

inline void WriteFile(const std::string& path, const std::string& contents)
{
    std::ofstream(path, std::ios::binary) << contents;
}

// The SVG rendered by rsvg-convert (at 96 dpi unless `options` say otherwise).
inline Raster RenderSvg(const std::string& svg, const std::string& name, const std::string& options = "",
                        std::vector<std::uint8_t>* alpha = nullptr)
{
    const std::string in = ScratchPath(name + ".svg"), out = ScratchPath(name + "-svg.png");
    WriteFile(in, svg);
    const RunResult run = RunCommand("rsvg-convert " + options + " -o '" + out + "' '" + in + "'");
    Raster raster;
    EXPECT_EQ(run.status, 0) << name;
    EXPECT_TRUE(ReadAnyPng(out, raster, alpha)) << name;
    return raster;
}

// The EPS rendered by Ghostscript at `dpi`, cropped to its bounding box;
// `device` png16m (RGB) or pngalpha.
inline Raster RenderEps(const std::string& eps, const std::string& name, int dpi = 96,
                        const std::string& device = "png16m", std::vector<std::uint8_t>* alpha = nullptr)
{
    const std::string in = ScratchPath(name + ".eps"), out = ScratchPath(name + "-eps.png");
    WriteFile(in, eps);
    const RunResult run =
        RunCommand("gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -dGraphicsAlphaBits=4 -sDEVICE=" + device +
                   " -r" + std::to_string(dpi) + " -sOutputFile='" + out + "' '" + in + "'");
    Raster raster;
    EXPECT_EQ(run.status, 0) << name;
    EXPECT_TRUE(ReadAnyPng(out, raster, alpha)) << name;
    return raster;
}

// The top-left width x height pixels (fewer where the raster is smaller).
inline Raster Cropped(const Raster& r, int width, int height)
{
    Raster out;
    out.width = std::min(width, r.width);
    out.height = std::min(height, r.height);
    for (int y = 0; y < out.height; ++y) {
        const auto row = r.rgb.begin() + 3 * static_cast<std::ptrdiff_t>(y) * r.width;
        out.rgb.insert(out.rgb.end(), row, row + 3 * out.width);
    }
    return out;
}

// Pixels that differ between two rasters of the same size (all when the sizes differ).
inline long DifferentPixels(const Raster& a, const Raster& b)
{
    if (a.width != b.width || a.height != b.height)
        return LONG_MAX;
    long count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            count += a.At(x, y) != b.At(x, y);
    return count;
}

// Pixels of `a` at least half covered by `ink` (over the background) where
// `b` shows only the background: 0 when the text of both lands in the same
// place (anti-aliasing may differ, the covered pixels may not).
inline long SolidInkMissing(const Raster& a, const Raster& b, std::uint32_t ink, std::uint32_t background)
{
    auto distance = [](std::uint32_t p, std::uint32_t q) {
        int sum = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = static_cast<int>((p >> shift) & 0xff) - static_cast<int>((q >> shift) & 0xff);
            sum += d * d;
        }
        return sum;
    };
    long missing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (distance(a.At(x, y), ink) > distance(a.At(x, y), background))
                continue;
            missing += x >= b.width || y >= b.height || b.At(x, y) == background;
        }
    return missing;
}

} // namespace kt
