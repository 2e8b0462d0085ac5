// Helpers of the output-format suites: options of a valid sample per
// symbology, renders through the library into files, and the bar pixels of a picture.
#pragma once

#include "kavren/kavren.h"
#include "tests/image_vector_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace kt {

inline kavren::Options SampleOptions(int symbology, int orientation)
{
    kavren::Options o;
    o.symbology = static_cast<kavren::Symbology>(symbology);
    o.data = SymbologySamples().at(static_cast<std::size_t>(symbology)).Valid();
    o.orientation = static_cast<kavren::Orientation>(orientation);
    o.height = orientation == 0 || orientation == 180 ? 100 : 0;
    o.width = orientation == 0 || orientation == 180 ? 0 : 100;
    o.timestamp = 0;
    return o;
}

// Renders through the library into a scratch file; the path, or "" on failure.
inline std::string RenderToFile(const kavren::Options& options, const std::string& name)
{
    const kavren::Result result = kavren::Render(options);
    EXPECT_TRUE(result) << name << ": " << result.message << ' ' << result.detail;
    if (!result)
        return "";
    const std::string path = ScratchPath(name);
    WriteFile(path, std::string(result.bytes.begin(), result.bytes.end()));
    return path;
}

inline std::string Text(const kavren::Result& result)
{
    return std::string(result.bytes.begin(), result.bytes.end());
}

// Pixels that are exactly the bar colour in one picture and not in the
// other: 0 when the bars cover the same pixels (the text, in another colour,
// never reaches the bar colour exactly).
inline long BarPixelsDiffering(const Raster& a, const Raster& b, std::uint32_t bar = 0)
{
    if (a.width != b.width || a.height != b.height)
        return LONG_MAX;
    long count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            count += (a.At(x, y) == bar) != (b.At(x, y) == bar);
    return count;
}

// The pHYs chunk of a PNG file: pixels per metre, 0 when there is none.
inline std::uint32_t PixelsPerMetre(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        if (!png_get_pHYs(png, info, &x, &y, &unit) || unit != PNG_RESOLUTION_METER || x != y)
            x = 0;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return x;
}

// The colour type in the PNG's header (2 RGB, 6 RGBA); -1 when unreadable.
inline int PngColourType(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char header[26] = {};
    // Signature (8), IHDR length and type (8), width, height, bit depth, then the colour type.
    if (!in.read(header, sizeof header))
        return -1;
    return static_cast<unsigned char>(header[25]);
}

} // namespace kt
