#include "tests/support/FourStateReader.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <bit>
#include <string_view>
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

__extension__ typedef unsigned __int128 Wide;

// USPS-B-3200 bar to character table, as four columns over bars 1..65.
constexpr std::string_view kDescenderCharacters =
    "HBJFIACEGDFIJHDAGBHEGIJCFBHFEDIHGACFEJDABGICAEFJGHFCGDIFBJIHEACGD";
constexpr std::array<int, 65> kDescenderBits = {2, 10, 12, 5, 9,  1, 5, 4,  3,  9,  11, 5, 10, 1, 6,  3, 4,
                                                1, 10, 0,  2, 11, 8, 6, 1,  12, 3,  8,  6, 4,  4, 11, 0, 6,
                                                1, 9,  11, 5, 3,  7, 3, 10, 7,  11, 8,  2, 10, 3, 5,  8, 0,
                                                3, 12, 11, 8, 4,  5, 1, 3,  0,  7,  12, 9, 8,  10};
constexpr std::string_view kAscenderCharacters =
    "EACGDFBJIHBCAGEICJFDABDHEGIJCAFBJEDIGHBCEDJFHIDACBEAJBHACEGDHBJFI";
constexpr std::array<int, 65> kAscenderBits = {3,  0,  8, 11, 1,  12, 8,  11, 10, 6, 4,  12, 2, 7, 9, 6, 7,
                                               9,  2,  8, 4,  0,  12, 7,  10, 9,  0, 7,  10, 5, 7, 9, 6, 8,
                                               2,  12, 1, 4,  2,  0,  1,  5,  4,  6, 12, 1,  0, 9, 4, 7, 5,
                                               10, 2,  6, 9,  11, 2,  12, 6,  7,  5, 11, 0,  3, 2};

int Reversed13(int value)
{
    int reversed = 0;
    for (int bit = 0; bit < 13; ++bit) {
        reversed |= ((value >> bit) & 1) << (12 - bit);
    }
    return reversed;
}

// Character value -> codeword: the 5-of-13 table as codewords 0..1286, the
// 2-of-13 table after it; -1 for no character.
std::array<int, 8192> CodewordOfCharacter()
{
    std::array<int, 8192> codeword{};
    codeword.fill(-1);
    int base = 0;
    for (const int ones : {5, 2}) {
        std::vector<int> pairs;
        std::vector<int> palindromes;
        for (int value = 0; value < 8192; ++value) {
            if (std::popcount(static_cast<unsigned>(value)) != ones || Reversed13(value) < value) {
                continue;
            }
            if (Reversed13(value) == value) {
                palindromes.push_back(value);
            } else {
                pairs.push_back(value);
                pairs.push_back(Reversed13(value));
            }
        }
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            codeword[static_cast<std::size_t>(pairs[i])] = base + static_cast<int>(i);
        }
        const int size = static_cast<int>(pairs.size() + palindromes.size());
        for (std::size_t i = 0; i < palindromes.size(); ++i) {
            codeword[static_cast<std::size_t>(palindromes[i])] = base + size - 1 - static_cast<int>(i);
        }
        base += size;
    }
    return codeword;
}

// CRC-11 (generator 0xF35, preset 0x7FF) over the 102 data bits, most
// significant first.
int Crc11(Wide value)
{
    int fcs = 0x7FF;
    for (int bit = 101; bit >= 0; --bit) {
        const int in = static_cast<int>((value >> bit) & 1);
        const bool feedback = (((fcs >> 10) & 1) ^ in) != 0;
        fcs = ((fcs << 1) ^ (feedback ? 0xF35 : 0)) & 0x7FF; // 0xF35 holds the x^11 term
    }
    return fcs;
}

std::string Digits(Wide value, int count)
{
    std::string digits(static_cast<std::size_t>(count), '0');
    for (int i = count - 1; i >= 0; --i) {
        digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    }
    return digits;
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

std::string ReadFourStateBars(const Raster& raster, int orientation)
{
    // At 90 degrees the reading direction runs up the picture, at 270 down.
    return ReadFourStateBars(Upright(raster, orientation));
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

// Bar letters -> "TRACKING" or "TRACKING-ROUTING"; a message in brackets when
// the bars are no Intelligent Mail barcode.
std::string DecodeImb(const std::string& bars)
{
    if (bars.size() != 65) {
        return std::string("[").append(std::to_string(bars.size())).append(" bars]");
    }
    std::array<int, 10> characters{};
    for (std::size_t i = 0; i < 65; ++i) {
        if (bars[i] == 'F' || bars[i] == 'D') {
            characters[static_cast<std::size_t>(kDescenderCharacters[i] - 'A')] |= 1 << kDescenderBits[i];
        }
        if (bars[i] == 'F' || bars[i] == 'A') {
            characters[static_cast<std::size_t>(kAscenderCharacters[i] - 'A')] |= 1 << kAscenderBits[i];
        }
    }
    static const std::array<int, 8192> codewordOf = CodewordOfCharacter();
    int fcs = 0;
    std::array<int, 10> codewords{};
    for (std::size_t i = 0; i < 10; ++i) {
        const int ones = std::popcount(static_cast<unsigned>(characters[i]));
        if (ones == 8 || ones == 11) {
            fcs |= 1 << i;
            characters[i] ^= 0x1FFF;
        }
        codewords[i] = codewordOf[static_cast<std::size_t>(characters[i])];
        if (codewords[i] < 0) {
            return std::string("[character ").append(std::to_string(i)).append("]");
        }
    }
    if (codewords[0] >= 659) {
        fcs |= 0x400;
        codewords[0] -= 659;
    }
    if (codewords[9] % 2 != 0 || codewords[9] >= 1272) {
        return "[orientation]";
    }
    Wide value = static_cast<Wide>(codewords[0]);
    for (std::size_t i = 1; i < 9; ++i) {
        value = value * 1365 + static_cast<Wide>(codewords[i]);
    }
    value = value * 636 + static_cast<Wide>(codewords[9] / 2);
    if (Crc11(value) != fcs) {
        return "[crc]";
    }
    const std::string last18 = Digits(value, 18);
    value /= 1000000000000000000ULL;
    const char second = static_cast<char>('0' + static_cast<int>(value % 5));
    value /= 5;
    const char first = static_cast<char>('0' + static_cast<int>(value % 10));
    value /= 10;
    const std::string tracking = std::string{first, second} + last18;
    const auto routing = static_cast<std::uint64_t>(value);
    if (routing == 0) {
        return tracking;
    }
    if (routing <= 100000) {
        return tracking + "-" + Digits(routing - 1, 5);
    }
    if (routing <= 1000100000) {
        return tracking + "-" + Digits(routing - 100001, 9);
    }
    return tracking + "-" + Digits(routing - 1000100001, 11);
}


} // namespace kt
