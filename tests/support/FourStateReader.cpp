#include "tests/support/FourStateReader.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace kt {

namespace {

int Pixels(double modules, int modulePixels)
{
    return static_cast<int>(std::lround(modules * modulePixels));
}

bool IsDark(const Raster& raster, int x, int y)
{
    const std::uint32_t colour = raster.At(x, y);
    return (colour & 0xff) + ((colour >> 8) & 0xff) + ((colour >> 16) & 0xff) < 3 * 128;
}

} // namespace

bool WriteFourStatePng(const kavren::detail::EncodedSymbol& symbol, int modulePixels, const std::string& path)
{
    const int left = Pixels(symbol.quiet.leading, modulePixels);
    const int width = left + Pixels(symbol.length.modules + symbol.quiet.trailing, modulePixels);
    std::vector<int> rowTop{Pixels(symbol.quiet.top, modulePixels)};
    double across = symbol.quiet.top;
    for (const kavren::detail::SymbolRow& row : symbol.rows) {
        across += row.height;
        rowTop.push_back(Pixels(across, modulePixels));
    }
    const int height = Pixels(across + symbol.quiet.bottom, modulePixels);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3,
                                  255);
    for (const kavren::detail::DarkRect& dark : symbol.darks) {
        const int x0 = left + Pixels(dark.start.modules, modulePixels);
        const int x1 = left + Pixels(dark.start.modules + dark.length.modules, modulePixels);
        const int y0 = rowTop[static_cast<std::size_t>(dark.row)];
        const int y1 = rowTop[static_cast<std::size_t>(dark.row + dark.rows)];
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                        static_cast<std::size_t>(x)) *
                                       3;
                rgb[at] = rgb[at + 1] = rgb[at + 2] = 0;
            }
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

std::string ReadFourStateBars(const Raster& raster)
{
    // The tracker row: the one with the most dark runs.
    int trackerY = -1;
    std::size_t most = 0;
    for (int y = 0; y < raster.height; ++y) {
        std::size_t count = 0;
        for (const Run& run : RowRuns(raster, y)) {
            count += run.dark ? 1 : 0;
        }
        if (count > most) {
            most = count;
            trackerY = y;
        }
    }
    if (trackerY < 0) {
        return {};
    }
    struct Extent {
        int top;
        int bottom;
    };
    std::vector<Extent> bars;
    int x = 0;
    for (const Run& run : RowRuns(raster, trackerY)) {
        if (run.dark) {
            const int centre = x + run.length / 2;
            int top = trackerY;
            while (top > 0 && IsDark(raster, centre, top - 1)) {
                --top;
            }
            int bottom = trackerY;
            while (bottom + 1 < raster.height && IsDark(raster, centre, bottom + 1)) {
                ++bottom;
            }
            bars.push_back({top, bottom});
        }
        x += run.length;
    }
    // Ascenders reach above the midpoint of the highest and lowest tops;
    // descenders below the midpoint of the lowest and highest bottoms.
    const auto [highTop, lowTop] = std::minmax_element(
        bars.begin(), bars.end(), [](const Extent& a, const Extent& b) { return a.top < b.top; });
    const auto [highBottom, lowBottom] = std::minmax_element(
        bars.begin(), bars.end(), [](const Extent& a, const Extent& b) { return a.bottom < b.bottom; });
    const double topLine = (highTop->top + lowTop->top) / 2.0;
    const double bottomLine = (highBottom->bottom + lowBottom->bottom) / 2.0;
    std::string letters;
    for (const Extent& bar : bars) {
        const bool up = bar.top < topLine;
        const bool down = bar.bottom > bottomLine;
        letters += up ? (down ? 'F' : 'A') : (down ? 'D' : 'T');
    }
    return letters;
}

std::string BarsThroughPng(const kavren::detail::EncodedSymbol& symbol, int modulePixels)
{
    static int serial = 0;
    const std::string path = ScratchPath("fourstate-" + std::to_string(++serial) + ".png");
    Raster raster;
    if (!WriteFourStatePng(symbol, modulePixels, path) || !ReadPng(path, raster)) {
        return {};
    }
    return ReadFourStateBars(raster);
}

} // namespace kt
