// The reference for the large-image benchmark: the least a program can do to
// produce the same picture. It allocates a raster of the same size, clears it
// to white, fills the same bars and writes it with the same libpng calls and
// settings as the PNG writer (compression level 6, default filter selection,
// gAMA, tIME and five tEXt chunks). Only the human-readable text is left out:
// a few hundred pixels of a picture of millions.
//
//   bench_minimal_png BARS-FILE OUT.png
//   bench_minimal_png BARS-FILE OUT COUNT   the same picture encoded COUNT times, into
//                                           OUT-1 to OUT-COUNT (the batch benchmark's reference)
//
// BARS-FILE (written by bench_bars_from_png): "width height red green blue",
// then one "left top width height" line per bar.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Bar {
    long left, top, width, height;
};

struct Picture {
    long width = 0, height = 0;
    int red = 0, green = 0, blue = 0;
    std::vector<Bar> bars;
};

bool ReadBars(const char* path, Picture& picture)
{
    FILE* file = std::fopen(path, "r");
    if (!file)
        return false;
    bool ok = std::fscanf(file, "%ld %ld %d %d %d", &picture.width, &picture.height, &picture.red,
                          &picture.green, &picture.blue) == 5;
    Bar bar{};
    while (ok && std::fscanf(file, "%ld %ld %ld %ld", &bar.left, &bar.top, &bar.width, &bar.height) == 4)
        picture.bars.push_back(bar);
    std::fclose(file);
    return ok && picture.width > 0 && picture.height > 0;
}

bool WritePng(FILE* file, long width, long height, png_bytepp rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_gAMA(png, info, 0.5);
    png_time stamp{};
    png_convert_from_time_t(&stamp, std::time(nullptr));
    png_set_tIME(png, info, &stamp);
    char creationTime[29] = {};
    png_convert_to_rfc1123_buffer(creationTime, &stamp);
    const char* const pairs[5][2] = {{"Title", "Title_Text"},
                                     {"Author", "Author_Text"},
                                     {"Description", "Description_Text"},
                                     {"Creation Time", creationTime},
                                     {"Software", "Software_Text"}};
    png_text texts[5] = {};
    for (int i = 0; i < 5; ++i) {
        texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[i].key = const_cast<char*>(pairs[i][0]);
        texts[i].text = const_cast<char*>(pairs[i][1]);
    }
    png_set_text(png, info, texts, 5);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    Picture picture;
    const long count = argc == 4 ? std::atol(argv[3]) : 1;
    if (argc < 3 || argc > 4 || count < 1 || !ReadBars(argv[1], picture)) {
        std::fprintf(stderr, "usage: bench_minimal_png BARS-FILE OUT.png [COUNT]\n");
        return 2;
    }
    const long width = picture.width;
    const long height = picture.height;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;

    // The raster: one block, cleared to white, and a table of row pointers.
    auto pixels = std::make_unique_for_overwrite<png_byte[]>(rowBytes * static_cast<std::size_t>(height));
    auto rows = std::make_unique_for_overwrite<png_bytep[]>(static_cast<std::size_t>(height));
    std::memset(pixels.get(), 255, rowBytes * static_cast<std::size_t>(height));
    for (long y = 0; y < height; ++y)
        rows[y] = pixels.get() + rowBytes * static_cast<std::size_t>(y);

    // The bars, one byte fill per row for a grey colour, else pixel by pixel.
    const bool grey = picture.red == picture.green && picture.green == picture.blue;
    for (const Bar& bar : picture.bars) {
        for (long y = bar.top; y < bar.top + bar.height; ++y) {
            png_bytep p = rows[y] + bar.left * 3;
            if (grey) {
                std::memset(p, picture.red, static_cast<std::size_t>(bar.width) * 3);
                continue;
            }
            for (long x = 0; x < bar.width; ++x, p += 3) {
                p[0] = static_cast<png_byte>(picture.red);
                p[1] = static_cast<png_byte>(picture.green);
                p[2] = static_cast<png_byte>(picture.blue);
            }
        }
    }

    for (long i = 1; i <= count; ++i) {
        const std::string path = argc == 4 ? std::string(argv[2]) + "-" + std::to_string(i) : argv[2];
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            return 1;
        const bool written = WritePng(file, width, height, rows.get());
        if (std::fclose(file) != 0 || !written)
            return 1;
    }
    return 0;
}
