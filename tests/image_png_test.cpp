#include "tests/image_support.h"
#include "tests/support/TestSupport.h"

#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Chunk {
    std::string type;
    std::string data;
};

std::uint32_t BigEndian(const std::string& s, std::size_t at)
{
    return std::uint32_t(std::uint8_t(s[at])) << 24 | std::uint32_t(std::uint8_t(s[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(s[at + 2])) << 8 | std::uint8_t(s[at + 3]);
}

// The chunks of a PNG file in order; fails the test on a bad signature or CRC.
std::vector<Chunk> ReadChunks(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Chunk> chunks;
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::uint32_t length = BigEndian(bytes, at);
        const std::string typeAndData = bytes.substr(at + 4, 4 + length);
        const auto* raw = reinterpret_cast<const Bytef*>(typeAndData.data());
        EXPECT_EQ(crc32(0, raw, static_cast<uInt>(typeAndData.size())), BigEndian(bytes, at + 8 + length));
        chunks.push_back({typeAndData.substr(0, 4), typeAndData.substr(4)});
        at += 12 + length;
    }
    return chunks;
}

std::string Written(CMyPngWriter& w, const std::string& name)
{
    const std::string path = kt::ScratchPath(name);
    FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(w.WriteTo(file));
    EXPECT_EQ(std::fclose(file), 0);
    return path;
}

std::unique_ptr<CMyPngWriter> Painted(int width, int height, int compression = -2)
{
    auto w = kt::StartedWriter(width, height, compression);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; x += 3)
            w->SetPixel(x, y, static_cast<Colour>(x * 2654435761u + y * 40503u) & 0xffffff);
    w->FillRect(width / 4, 0, width / 8 + 1, height, 0);
    w->DrawString("Pixels 0123", 14, 0, 2, height - 2, 0, 0, 0x2040a0);
    return w;
}

// The stored RGB bytes, untouched: kt::ReadPng's simplified libpng reading
// converts from the file's gamma, which would alter mid-tones.
std::vector<std::uint8_t> StoredPixels(const std::string& path, int& width, int& height)
{
    std::vector<std::uint8_t> rgb;
    FILE* file = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (file && png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        width = static_cast<int>(png_get_image_width(png, info));
        height = static_cast<int>(png_get_image_height(png, info));
        if (png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB && png_get_bit_depth(png, info) == 8) {
            png_bytepp rows = png_get_rows(png, info);
            for (int y = 0; y < height; ++y)
                rgb.insert(rgb.end(), rows[y], rows[y] + 3 * width);
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (file)
        std::fclose(file);
    return rgb;
}

std::string Idat(const std::vector<Chunk>& chunks)
{
    std::string all;
    for (const auto& c : chunks)
        if (c.type == "IDAT")
            all += c.data;
    return all;
}

TEST(ImagePng, DecodesToTheRasterAtEveryLevel)
{
    const struct {
        int width, height, compression;
    } cases[] = {{1, 1, -2}, {97, 33, -2}, {97, 33, 0}, {250, 60, 9}, {3, 200, 1}};
    for (const auto& c : cases) {
        auto w = Painted(c.width, c.height, c.compression);
        int width = 0, height = 0;
        const auto rgb = StoredPixels(Written(*w, "roundtrip.png"), width, height);
        ASSERT_EQ(width, c.width);
        ASSERT_EQ(height, c.height);
        ASSERT_EQ(rgb.size(), 3u * width * height);
        for (int y = 0; y < c.height; ++y)
            EXPECT_TRUE(std::equal(w->GetRow(y), w->GetRow(y) + 3 * c.width, rgb.begin() + 3 * c.width * y))
                << c.width << 'x' << c.height << " row " << y;
    }
}

TEST(ImagePng, ChunksInOrderWithTheirContents)
{
    auto w = Painted(300, 100);
    const std::time_t before = std::time(nullptr);
    const auto chunks = ReadChunks(Written(*w, "chunks.png"));
    const std::time_t after = std::time(nullptr);

    std::string order;
    for (const auto& c : chunks)
        if (order.size() < 4 || order.substr(order.size() - 4) != c.type || c.type != "IDAT")
            order += c.type;
    EXPECT_EQ(order, "IHDRgAMAtIMEtEXttEXttEXttEXttEXtIDATIEND");
    ASSERT_EQ(chunks.size() >= 10, true);

    EXPECT_EQ(chunks[0].data,
              std::string("\0\0\x01\x2c\0\0\0\x64\x08\x02\0\0\0", 13)); // 300 x 100, 8-bit RGB
    EXPECT_EQ(BigEndian(chunks[1].data, 0), 50000u);                    // gamma 0.5

    const std::string& t = chunks[2].data; // year (2 bytes), month, day, hour, minute, second
    std::tm stamp{};
    stamp.tm_year = (std::uint8_t(t[0]) << 8 | std::uint8_t(t[1])) - 1900;
    stamp.tm_mon = t[2] - 1, stamp.tm_mday = t[3], stamp.tm_hour = t[4], stamp.tm_min = t[5],
    stamp.tm_sec = t[6];
    const std::time_t written = timegm(&stamp);
    EXPECT_GE(written, before);
    EXPECT_LE(written, after);

    char creation[64];
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::snprintf(creation, sizeof creation, "%d %s %d %02d:%02d:%02d +0000", stamp.tm_mday,
                  months[stamp.tm_mon], stamp.tm_year + 1900, stamp.tm_hour, stamp.tm_min, stamp.tm_sec);
    const std::string texts[] = {std::string("Title\0Title_Text", 16), std::string("Author\0Author_Text", 18),
                                 std::string("Description\0Description_Text", 28),
                                 std::string("Creation Time\0", 14) + creation,
                                 std::string("Software\0Software_Text", 22)};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(chunks[3 + i].data, texts[i]);
    int day = 0, year = 0, hour = 0, minute = 0, second = 0, used = 0;
    char month[4] = {};
    const std::string text = chunks[6].data.substr(14);
    EXPECT_EQ(std::sscanf(text.c_str(), "%2d %3s %4d %2d:%2d:%2d +0000%n", &day, month, &year, &hour, &minute,
                          &second, &used),
              6);
    EXPECT_EQ(used, static_cast<int>(text.size())) << text;
}

TEST(ImagePng, GammaBelowOneTenthBecomesPointSeven)
{
    const struct {
        double gamma;
        std::uint32_t stored;
    } cases[] = {{0.5, 50000}, {0.1, 10000},  {0.0999, 70000},
                 {0.0, 70000}, {-3.0, 70000}, {std::nan(""), 70000}};
    for (const auto& c : cases) {
        auto w = kt::StartedWriter(4, 4);
        w->m_Gamma = c.gamma;
        const auto chunks = ReadChunks(Written(*w, "gamma.png"));
        EXPECT_EQ(BigEndian(chunks.at(1).data, 0), c.stored) << c.gamma;
        EXPECT_EQ(w->m_Gamma, c.stored / 100000.0) << c.gamma;
    }
}

TEST(ImagePng, DefaultCompressionIsLevelSix)
{
    auto standard = Painted(400, 80, -2);
    auto six = Painted(400, 80, 6);
    auto stored = Painted(400, 80, 0);
    const std::string idat = Idat(ReadChunks(Written(*standard, "default.png")));
    EXPECT_EQ(idat, Idat(ReadChunks(Written(*six, "six.png"))));
    EXPECT_GT(Idat(ReadChunks(Written(*stored, "stored.png"))).size(), 400u * 80 * 3); // level 0 stores
}

TEST(ImagePng, PngcheckFindsAValidFile)
{
    auto w = Painted(120, 40);
    const std::string out = kt::RunCommand("pngcheck -v " + Written(*w, "check.png")).out;
    std::string listed;
    for (auto at = out.find("chunk "); at != std::string::npos; at = out.find("chunk ", at + 1))
        listed += out.substr(at + 6, 4) + ' ';
    EXPECT_EQ(listed, "IHDR gAMA tIME tEXt tEXt tEXt tEXt tEXt IDAT IEND ");
    EXPECT_NE(out.find("No errors detected"), std::string::npos) << out;
}

TEST(ImagePng, FailedWritesReturnFalseQuietly)
{
    auto small = kt::StartedWriter(8, 8);
    auto large = Painted(600, 300, 0); // more than the stream's buffer
    const std::string readOnly = Written(*small, "readonly.png");

    testing::internal::CaptureStderr();
    for (CMyPngWriter* w : {small.get(), large.get()}) {
        FILE* full = std::fopen("/dev/full", "wb");
        ASSERT_NE(full, nullptr);
        EXPECT_FALSE(w->WriteTo(full));
        std::fclose(full); // fails too; the error was already reported
    }
    FILE* input = std::fopen(readOnly.c_str(), "rb");
    EXPECT_FALSE(small->WriteTo(input));
    std::fclose(input);
    EXPECT_FALSE(small->WriteTo(nullptr));

    CMyPngWriter idle(8, 8, nullptr, 96, 96, 0xffffff, -2); // never started
    FILE* file = std::fopen(kt::ScratchPath("idle.png").c_str(), "wb");
    EXPECT_FALSE(idle.WriteTo(file));
    std::fclose(file);

    auto badLevel = kt::StartedWriter(8, 8, 42); // zlib refuses the level
    file = std::fopen(kt::ScratchPath("level.png").c_str(), "wb");
    EXPECT_FALSE(badLevel->WriteTo(file));
    std::fclose(file);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace

namespace {

// The program's own output: the writer's chunks at the asked size, and bars
// that a decoder reads at every orientation.
TEST(ImagePng, ProgramOutputScansAtEveryOrientation)
{
    for (const char* orientation : {"0", "90", "180", "270"}) {
        const std::string path = kt::ScratchPath(std::string("program") + orientation + ".png");
        const auto run =
            kt::RunKavren({"-x", "310", "-y", "290", "-o", orientation, "-d", "Kavren 42", path});
        ASSERT_EQ(run.status, 0) << run.err;
        const auto chunks = ReadChunks(path);
        ASSERT_GE(chunks.size(), 10u);
        EXPECT_EQ(chunks[0].data.substr(0, 10), std::string("\0\0\x01\x36\0\0\x01\x22\x08\x02", 10));
        EXPECT_EQ(chunks[7].data, std::string("Software\0Software_Text", 22));
        EXPECT_EQ(kt::Zbar(path), std::vector<std::string>{"CODE-128:Kavren 42"}) << orientation;
    }
}

} // namespace
