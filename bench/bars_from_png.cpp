// Reads the bars of an upright barcode picture back from its PNG, for the
// reference program to draw the same ones.
//
//   bench_bars_from_png IN.png > BARS-FILE
//
// The background is the colour of the top-left pixel; the bar colour is the
// first other colour of the first row that has one. Each run of bar colour
// along that row is one bar, as tall as its first column stays bar-coloured.
// Prints "width height red green blue", then "left top width height" per bar.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool ReadRgb(const char* path, png_uint_32& width, png_uint_32& height, std::vector<png_byte>& pixels)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path))
        return false;
    image.format = PNG_FORMAT_RGB;
    width = image.width;
    height = image.height;
    pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    std::vector<png_byte> pixels;
    if (argc != 2 || !ReadRgb(argv[1], width, height, pixels) || width == 0 || height == 0) {
        std::fprintf(stderr, "usage: bench_bars_from_png IN.png (an RGB PNG)\n");
        return 2;
    }
    const auto at = [&](png_uint_32 x, png_uint_32 y) { return &pixels[(std::size_t{y} * width + x) * 3]; };
    const auto same = [](const png_byte* a, const png_byte* b) { return std::memcmp(a, b, 3) == 0; };
    const png_byte* background = at(0, 0);

    // The first row with anything on it, and its first foreground colour.
    png_uint_32 top = 0;
    const png_byte* bar = nullptr;
    for (; top < height && !bar; ++top) {
        for (png_uint_32 x = 0; x < width; ++x) {
            if (!same(at(x, top), background)) {
                bar = at(x, top);
                break;
            }
        }
    }
    if (!bar) {
        std::fprintf(stderr, "bench_bars_from_png: %s has no bars\n", argv[1]);
        return 1;
    }
    --top;

    std::printf("%u %u %u %u %u\n", width, height, bar[0], bar[1], bar[2]);
    for (png_uint_32 x = 0; x < width;) {
        if (!same(at(x, top), bar)) {
            ++x;
            continue;
        }
        const png_uint_32 left = x;
        while (x < width && same(at(x, top), bar))
            ++x;
        png_uint_32 bottom = top;
        while (bottom < height && same(at(left, bottom), bar))
            ++bottom;
        std::printf("%u %u %u %u\n", left, top, x - left, bottom - top);
    }
    return 0;
}
